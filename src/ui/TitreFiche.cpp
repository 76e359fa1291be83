#include "TitreFiche.h"

#include "records/CodePage.h"

#include <QFileInfo>

QString TitreFiche::NomCourt(const QString& chemin)
{
    const QString nom = QFileInfo(chemin).fileName();
    // Cut before the first "."; a name without one, or starting with one, shows as unnamed.
    const qsizetype point = nom.indexOf(QLatin1Char('.'));
    const QString court = point < 0 ? QString() : nom.left(point);
    return court.isEmpty() ? QStringLiteral("SANS NOM") : court;
}

QString TitreFiche::Borne(std::string_view texte, int max)
{
    if (texte.size() <= static_cast<size_t>(max)) return CodePage::VersUnicode(texte);
    return CodePage::VersUnicode(texte.substr(0, static_cast<size_t>(max))) + QChar(0x2026);
}

QString TitreFiche::Compose(const Repertoire& rep, int ligne, bool lectureSeule)
{
    QString personne;
    if (ligne >= 1 && ligne <= rep.NbFiches()) {
        const std::string_view prenom = rep.Cellule(Prenom, ligne);
        const std::string_view nom = rep.Cellule(Nom, ligne);
        if (prenom.empty() && nom.empty()) {
            personne = Borne(rep.Cellule(Societe, ligne), LongueurPersonne);
        } else {
            personne =
                Borne(prenom, LongueurPersonne) + QLatin1Char(' ') + Borne(nom, LongueurPersonne);
            if (personne.size() > LongueurPersonne)
                personne = personne.left(LongueurPersonne) + QChar(0x2026);
        }
    }
    // One pass: a "%" in a file or person name must not be taken for a placeholder.
    return QString::fromUtf8("Carnet d'adresses \"%1\"%2 - Fiche n°%3/%4 [%5]")
        .arg(NomCourt(rep.FichierCourant()),
             lectureSeule ? QString::fromUtf8(" (lecture seule)") : QString(),
             QString::number(ligne), QString::number(rep.NbFiches()), personne);
}
