#include "ValidateurCp1252.h"

#include "records/CodePage.h"

ValidateurCp1252::ValidateurCp1252(bool ligneUnique, QObject* parent)
    : QValidator(parent), m_ligneUnique(ligneUnique)
{
}

QValidator::State ValidateurCp1252::validate(QString& texte, int& position) const
{
    if (m_suspendu) return Acceptable;
    const QString refuse = CodePage::PremierCaractereRefuse(texte);
    if (!refuse.isEmpty()) {
        emit CaractereRefuse(refuse);
        return Invalid;
    }
    if (m_ligneUnique) {
        const QString plie = SansSautsDeLigne(texte);
        if (plie.size() != texte.size()) {
            position = static_cast<int>(SansSautsDeLigne(texte.left(position)).size());
            texte = plie;
        }
    }
    return Acceptable;
}

QString ValidateurCp1252::MessageRefus(const QString& caractere)
{
    return QString::fromUtf8("Caractère refusé : « %1 » n'existe pas dans le jeu de caractères de "
                             "Windows.")
        .arg(caractere);
}

QString ValidateurCp1252::SansSautsDeLigne(const QString& texte)
{
    QString r;
    r.reserve(texte.size());
    for (qsizetype i = 0; i < texte.size(); ++i) {
        const QChar c = texte.at(i);
        if (c == u'\r' || c == u'\n' || c == QChar::LineSeparator ||
            c == QChar::ParagraphSeparator) {
            if (c == u'\r' && i + 1 < texte.size() && texte.at(i + 1) == u'\n') ++i;
            r.append(u' ');
        } else {
            r.append(c);
        }
    }
    return r;
}
