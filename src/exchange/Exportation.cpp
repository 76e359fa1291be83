#include "Exportation.h"

#include "Encodage.h"
#include "records/ErreurSysteme.h"
#include "records/FichierSur.h"
#include "records/Repertoire.h"

#include <QFile>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace
{

void AjouteCelluleStandard(std::string& sortie, std::string_view cellule)
{
    const bool guillemets = cellule.find_first_of(",\"\r\n") != std::string_view::npos;
    if (!guillemets) {
        Encodage::AjouteUtf8(sortie, cellule);
        return;
    }
    sortie.push_back('"');
    size_t debut = 0;
    for (;;) {
        const size_t q = cellule.find('"', debut);
        Encodage::AjouteUtf8(sortie, cellule.substr(debut, q == std::string_view::npos
                                                               ? std::string_view::npos
                                                               : q - debut));
        if (q == std::string_view::npos) break;
        sortie.append("\"\"", 2);
        debut = q + 1;
    }
    sortie.push_back('"');
}

} // namespace

namespace
{

// One line of a type 1 or 2 file at `w`, which has room for TailleLigne bytes.
char* LigneSimple(const Repertoire::VueLigne& vue, char separateur, char* w)
{
    const char* const source = vue.octets.data();
    const size_t taille = vue.octets.size();
    if (taille == 0) {
        // A blank row has no bytes to read at all.
        for (int c = 1; c < NbColonnes; ++c)
            *w++ = separateur;
        *w++ = '\r';
        *w++ = '\n';
        return w;
    }
    const bool cr = std::memchr(source, '\r', taille) != nullptr;
    for (int c = 0; c < NbColonnes; ++c) {
        if (c > 0) *w++ = separateur;
        const size_t debut = vue.Debut(c);
        const size_t longueur = vue.fins[c] - debut;
        if (!cr || !std::memchr(source + debut, '\r', longueur)) {
            // Sixteen bytes at a time whatever the cell's length: the row has room
            // to be read past its cells, the buffer room to be written past the
            // line, and the bytes past the cell are overwritten by what follows.
            size_t i = 0;
            do {
                std::memcpy(w + i, source + debut + i, 16);
                i += 16;
            } while (i < longueur);
            w += longueur;
            continue;
        }
        // CodeLigne with a space; a lone CR is written as held.
        const std::string_view cellule(source + debut, longueur);
        for (size_t i = 0; i < cellule.size(); ++i) {
            if (cellule[i] == '\r' && i + 1 < cellule.size() && cellule[i + 1] == '\n') {
                *w++ = ' ';
                ++i;
            } else {
                *w++ = cellule[i];
            }
        }
    }
    *w++ = '\r';
    *w++ = '\n';
    return w;
}

// The exact size when no cell holds a CR LF, an upper bound otherwise, and the
// room LigneSimple needs for its last word.
size_t TailleLigne(const Repertoire::VueLigne& vue)
{
    static_assert(Repertoire::MargeLecture >= 16, "cells are copied 16 bytes at a time");
    return vue.fins[NbColonnes - 1] + NbColonnes + 1 + 16;
}

void LigneStandard(std::string& sortie, const Repertoire::VueLigne& vue)
{
    for (int c = 0; c < NbColonnes; ++c) {
        if (c > 0) sortie.push_back(',');
        AjouteCelluleStandard(sortie, vue.Cellule(c));
    }
    sortie.append("\r\n", 2);
}

constexpr char MarqueUtf8[] = "\xEF\xBB\xBF";

bool EcritTout(int fd, const char* p, size_t n, int& erreur)
{
    while (n > 0) {
        const ssize_t ecrits = write(fd, p, n);
        if (ecrits < 0 && errno == EINTR) continue;
        if (ecrits <= 0) {
            erreur = ecrits < 0 ? errno : ENOSPC;
            return false;
        }
        p += ecrits;
        n -= static_cast<size_t>(ecrits);
    }
    return true;
}

// The file's bytes, built a mebibyte at a time, each block handed to `ecrit` (false
// stops). The one producer of both the export and Octets.
template <class Ecrit> bool Produit(const Repertoire& rep, TypeFichier type, Ecrit&& ecrit)
{
    // The buffer stays in the cache and the export needs no copy of the whole
    // file in memory.
    constexpr size_t Bloc = size_t(1) << 20;
    std::string tampon;
    size_t utilise = 0;
    if (type == TypeFichier::CsvStandard) {
        tampon.reserve(Bloc + Bloc / 4);
        tampon.append(MarqueUtf8, 3);
    } else {
        tampon.resize(Bloc);
    }
    const char separateur = FormatEchange::Separateur(type);
    for (int ligne = 0; ligne < rep.NbLignes(); ++ligne) {
        const Repertoire::VueLigne vue = rep.Vue(ligne);
        if (type == TypeFichier::CsvStandard) {
            LigneStandard(tampon, vue);
            if (tampon.size() >= Bloc) {
                if (!ecrit(tampon.data(), tampon.size())) return false;
                tampon.clear();
            }
            continue;
        }
        const size_t place = TailleLigne(vue);
        if (utilise + place > tampon.size()) {
            if (!ecrit(tampon.data(), utilise)) return false;
            utilise = 0;
            if (place > tampon.size()) tampon.resize(place);
        }
        utilise = static_cast<size_t>(LigneSimple(vue, separateur, tampon.data() + utilise) -
                                      tampon.data());
    }
    if (type == TypeFichier::CsvStandard) utilise = tampon.size();
    return ecrit(tampon.data(), utilise);
}

} // namespace

std::string Exportation::Octets(const Repertoire& rep, TypeFichier type)
{
    std::string sortie;
    Produit(rep, type, [&sortie](const char* p, size_t n) {
        sortie.append(p, n);
        return true;
    });
    return sortie;
}

QString Exportation::ExportAddressBook(const QString& chemin, const Repertoire& rep,
                                       TypeFichier type)
{
    const auto echec = [&chemin](const QString& raison) {
        return QString::fromUtf8("Impossible d'exporter le carnet d'adresses dans « %1 » :\n%2")
            .arg(chemin, raison);
    };
    QString raison;
    const QString temporaire = FichierSur::Temporaire(chemin, &raison);
    if (temporaire.isEmpty()) return echec(raison);
    int erreur = 0;
    const int fd = open(QFile::encodeName(temporaire).constData(), O_WRONLY | O_CLOEXEC);
    if (fd < 0)
        erreur = errno;
    else
        Produit(rep, type,
                [fd, &erreur](const char* p, size_t n) { return EcritTout(fd, p, n, erreur); });
    if (fd >= 0 && close(fd) != 0 && erreur == 0) erreur = errno;
    if (erreur != 0) {
        FichierSur::Abandonne(temporaire);
        return echec(ErreurSysteme::EnFrancais(QString::fromLocal8Bit(std::strerror(erreur))));
    }
    raison = FichierSur::Remplace(temporaire, chemin);
    return raison.isEmpty() ? QString() : echec(raison);
}
