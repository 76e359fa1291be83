// libFuzzer target for the book reader: every input is read from memory and from a
// file at a block size taken from its first byte; both must agree, and a book that
// loads must save and load back the same.
#include "records/FichierRep.h"

#include <QByteArray>
#include <QString>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

namespace
{

bool MemeLivre(const Repertoire& a, const Repertoire& b)
{
    if (a.NbLignes() != b.NbLignes() || a.ColonneTri() != b.ColonneTri()) return false;
    for (int r = 0; r < a.NbLignes(); ++r) {
        if (a.FlagMail(r) != b.FlagMail(r)) return false;
        for (int c = 0; c < NbColonnes; ++c)
            if (a.Cellule(c, r) != b.Cellule(c, r)) return false;
    }
    return true;
}

const QString& Chemin(const char* nom)
{
    static QString dossier = [] {
        char modele[] = "/tmp/fuzz-carnet-XXXXXX";
        return QString::fromLocal8Bit(mkdtemp(modele));
    }();
    static QString livre = dossier + QStringLiteral("/livre.REP");
    static QString relu = dossier + QStringLiteral("/relu.REP");
    return nom[0] == 'l' ? livre : relu;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* donnees, size_t taille)
{
    if (taille == 0) return 0;
    const size_t bloc = size_t(1) << (donnees[0] % 21);
    const QByteArray octets(reinterpret_cast<const char*>(donnees + 1),
                            static_cast<qsizetype>(taille - 1));
    const QString& livre = Chemin("livre");
    FILE* f = std::fopen(livre.toLocal8Bit().constData(), "wb");
    if (!f || std::fwrite(octets.constData(), 1, static_cast<size_t>(octets.size()), f) !=
                  static_cast<size_t>(octets.size()))
        std::abort();
    std::fclose(f);

    Repertoire memoire, fichier;
    QString avisMemoire, avisFichier;
    const QString e1 = FichierRep::ChargeDepuisOctets(octets, livre, memoire, &avisMemoire);
    const QString e2 = FichierRep::ChargeRepertoire(livre, fichier, &avisFichier, -1, bloc);
    if (e1 != e2 || avisMemoire != avisFichier || !MemeLivre(memoire, fichier)) std::abort();
    if (!e1.isEmpty()) return 0;

    const QString& relu = Chemin("relu");
    if (!FichierRep::EcritRepertoire(relu, memoire).isEmpty()) std::abort();
    Repertoire second;
    if (!FichierRep::ChargeRepertoire(relu, second).isEmpty() || !MemeLivre(memoire, second))
        std::abort();
    return 0;
}
