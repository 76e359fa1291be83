#include "Historique.h"

#include "Correspondance.h"
#include "settings/Reglages.h"

Historique::Historique(int nbPlaces, Regle regle) : m_regle(regle)
{
    for (int i = 0; i < nbPlaces; ++i)
        m_entrees << QString();
}

void Historique::SetEntree(int i, const QString& texte)
{
    if (i >= 0 && i < NbPlaces()) m_entrees[i] = texte;
}

bool Historique::Insere(const QString& texte)
{
    if (texte.isEmpty() || m_entrees.isEmpty()) return false;
    for (const QString& e : std::as_const(m_entrees)) {
        const bool refuse = m_regle == Regle::Egalite ? Correspondance::Egaux(e, texte)
                                                      : Correspondance::CommencePar(e, texte);
        if (refuse) return false;
    }
    for (QString& e : m_entrees) {
        if (e.isEmpty()) {
            e = texte;
            return true;
        }
    }
    m_entrees.removeLast();
    m_entrees.prepend(texte);
    return true;
}

int Historique::IndexCompletion(const QString& tape) const
{
    if (tape.isEmpty()) return -1;
    for (int i = 0; i < NbPlaces(); ++i)
        if (!m_entrees[i].isEmpty() && Correspondance::CommencePar(m_entrees[i], tape)) return i;
    return -1;
}

QString Historique::Cle(int numero)
{
    return QStringLiteral("Expression") + QString::number(numero);
}

void Historique::Lit(const Reglages& reglages, const QString& section)
{
    for (int i = 0; i < NbPlaces(); ++i)
        m_entrees[i] = reglages.ReadString(section, Cle(i + 1), QString());
}

void Historique::Ecrit(Reglages& reglages, const QString& section, int nbCles) const
{
    for (int n = 1; n <= nbCles; ++n)
        reglages.WriteString(section, Cle(n), m_entrees.value(n - 1));
}
