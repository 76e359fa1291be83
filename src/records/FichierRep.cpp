#include "FichierRep.h"

#include "ErreurSysteme.h"
#include "FichierSur.h"
#include "Pliage.h"

#include <QFile>
#include <cstring>
#include <limits>

namespace
{

class Lecteur
{
public:
    explicit Lecteur(const QByteArray& octets)
        : m_p(octets.constData()), m_fin(octets.constData() + octets.size())
    {
    }
    bool LitLigne(std::string_view& ligne)
    {
        if (m_p >= m_fin) return false;
        const void* lf = std::memchr(m_p, '\n', static_cast<size_t>(m_fin - m_p));
        const char* q = lf ? static_cast<const char*>(lf) : m_fin;
        size_t n = static_cast<size_t>(q - m_p);
        if (lf && n > 0 && q[-1] == '\r') --n;
        ligne = std::string_view(m_p, n);
        m_p = lf ? q + 1 : m_fin;
        return true;
    }

private:
    const char* m_p;
    const char* m_fin;
};

bool LitEntier(std::string_view s, long long& valeur)
{
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t'))
        s.remove_suffix(1);
    bool negatif = false;
    if (!s.empty() && (s.front() == '-' || s.front() == '+')) {
        negatif = s.front() == '-';
        s.remove_prefix(1);
    }
    if (s.empty() || s.size() > 18) return false;
    long long v = 0;
    for (char c : s) {
        if (c < '0' || c > '9') return false;
        v = v * 10 + (c - '0');
    }
    valeur = negatif ? -v : v;
    return true;
}

QString Echec(const QString& chemin, const QString& raison)
{
    return QString::fromUtf8("Impossible de lire le répertoire « %1 » :\n%2").arg(chemin, raison);
}

} // namespace

QString FichierRep::ChargeRepertoire(const QString& chemin, Repertoire& resultat)
{
    QFile fichier(chemin);
    if (!fichier.open(QIODevice::ReadOnly))
        return Echec(chemin, ErreurSysteme::EnFrancais(fichier.errorString()));
    const QByteArray octets = fichier.readAll();
    if (fichier.error() != QFileDevice::NoError)
        return Echec(chemin, ErreurSysteme::EnFrancais(fichier.errorString()));
    fichier.close();
    return ChargeDepuisOctets(octets, chemin, resultat);
}

QString FichierRep::ChargeDepuisOctets(const QByteArray& octets, const QString& chemin,
                                       Repertoire& resultat)
{
    Lecteur lecteur(octets);
    std::string_view ligne;
    long long nbLignes = 0;
    if (!lecteur.LitLigne(ligne) || !LitEntier(ligne, nbLignes))
        return Echec(chemin, QString::fromUtf8("la ligne 1 ne contient pas un nombre."));
    long long colonneTri = 0;
    if (!lecteur.LitLigne(ligne) || !LitEntier(ligne, colonneTri))
        return Echec(chemin, QString::fromUtf8("la ligne 2 ne contient pas un nombre."));
    if (nbLignes < 2)
        return Echec(
            chemin,
            QString::fromUtf8("le nombre de lignes annoncé (%1) est inférieur à 2.").arg(nbLignes));
    // Every row takes 47 lines of at least one byte: refuse a count the file
    // cannot hold before allocating anything for it.
    const long long maxLignes = static_cast<long long>(octets.size()) / (NbColonnes + 1) + 1;
    if (nbLignes > maxLignes || nbLignes > std::numeric_limits<int>::max() / 2)
        return Echec(chemin,
                     QString::fromUtf8(
                         "le fichier annonce %1 lignes, plus que sa taille ne peut en contenir.")
                         .arg(nbLignes));

    Repertoire rep;
    rep.m_lignes.clear();
    rep.m_lignes.reserve(static_cast<size_t>(nbLignes));
    for (long long r = 0; r < nbLignes; ++r) {
        Repertoire::Ligne l;
        if (!lecteur.LitLigne(ligne))
            return Echec(chemin, QString::fromUtf8(
                                     "le fichier se termine avant la fin de la ligne %1 sur %2.")
                                     .arg(r)
                                     .arg(nbLignes - 1));
        l.flag.assign(ligne);
        for (int c = 0; c < NbColonnes; ++c) {
            if (!lecteur.LitLigne(ligne))
                return Echec(
                    chemin,
                    QString::fromUtf8("le fichier se termine avant la fin de la ligne %1 sur %2.")
                        .arg(r)
                        .arg(nbLignes - 1));
            Pliage::AjouteLigneDepliee(l.octets, ligne);
            l.fins[static_cast<size_t>(c)] = static_cast<uint32_t>(l.octets.size());
        }
        rep.m_lignes.push_back(std::move(l));
    }
    rep.SetColonneTri(
        static_cast<int>(colonneTri >= 0 && colonneTri < NbColonnes ? colonneTri : 0));
    rep.SetFichierCourant(chemin);
    rep.SetModifie(false);
    resultat = std::move(rep);
    return {};
}

// The byte loops below must stay loops: made into memcpy calls, they would cost more.
__attribute__((optimize("no-tree-loop-distribute-patterns"))) QByteArray
FichierRep::Serialise(const Repertoire& rep)
{
    // Written straight into a buffer sized for the worst case: folding only shrinks.
    size_t taille = 48;
    for (const auto& l : rep.m_lignes)
        taille += l.octets.size() + l.flag.size() + 2 * (NbColonnes + 1);
    QByteArray sortie(static_cast<qsizetype>(taille), Qt::Uninitialized);
    char* p = sortie.data();
    const auto ajouteTexte = [&p](const std::string& t) {
        std::memcpy(p, t.data(), t.size());
        p += t.size();
        *p++ = '\r';
        *p++ = '\n';
    };
    // A line break of any kind becomes 0x07, so no value can break a line.
    const auto ajoutePlie = [&p](const char* d, const char* f) {
        while (d < f) {
            const char c = *d++;
            if (c == '\r' || c == '\n') {
                if (c == '\r' && d < f && *d == '\n') ++d;
                *p++ = '\a';
            } else {
                *p++ = c;
            }
        }
        *p++ = '\r';
        *p++ = '\n';
    };
    ajouteTexte(std::to_string(rep.NbLignes()));
    ajouteTexte(std::to_string(rep.ColonneTri()));
    for (const auto& l : rep.m_lignes) {
        ajoutePlie(l.flag.data(), l.flag.data() + l.flag.size());
        const bool saut = std::memchr(l.octets.data(), '\r', l.octets.size()) ||
                          std::memchr(l.octets.data(), '\n', l.octets.size());
        uint32_t debut = 0;
        for (int c = 0; c < NbColonnes; ++c) {
            const uint32_t fin = l.fins[static_cast<size_t>(c)];
            if (saut) {
                ajoutePlie(l.octets.data() + debut, l.octets.data() + fin);
            } else {
                // Most cells hold a few bytes: copied here, they cost less than a
                // call to memcpy each.
                const char* source = l.octets.data() + debut;
                const uint32_t n = fin - debut;
                if (n > 16) {
                    std::memcpy(p, source, n);
                    p += n;
                } else {
                    for (uint32_t k = 0; k < n; ++k)
                        *p++ = source[k];
                }
                *p++ = '\r';
                *p++ = '\n';
            }
            debut = fin;
        }
    }
    sortie.truncate(static_cast<qsizetype>(p - sortie.data()));
    return sortie;
}

QString FichierRep::EcritRepertoire(const QString& chemin, Repertoire& rep)
{
    const QByteArray octets = Serialise(rep);
    const QString raison =
        FichierSur::Ecrit(chemin, octets.constData(), static_cast<size_t>(octets.size()));
    if (!raison.isEmpty())
        return QString::fromUtf8("Impossible d'enregistrer le répertoire « %1 » :\n%2")
            .arg(chemin, raison);
    rep.SetModifie(false);
    return {};
}
