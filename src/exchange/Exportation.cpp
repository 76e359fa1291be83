#include "Exportation.h"

#include "Encodage.h"
#include "records/ErreurSysteme.h"
#include "records/FichierSur.h"
#include "records/Repertoire.h"

#include <QFile>
#include <cerrno>
#include <cstring>
#include <emmintrin.h>
#include <fcntl.h>
#include <unistd.h>

namespace
{

// A cell copied sixteen bytes at a time whatever its length: the row has room to be
// read past its cells, the buffer room to be written past the line, and the bytes
// past the cell are overwritten by what follows. Returns the end of the copy.
inline char* CopieCellule(char* w, const char* cellule, size_t longueur)
{
    size_t i = 0;
    do {
        std::memcpy(w + i, cellule + i, 16);
        i += 16;
    } while (i < longueur);
    return w + longueur;
}

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
            w = CopieCellule(w, source + debut, longueur);
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

// Which bytes of a standard CSV cell need care: `quotes` set when it holds ',', '"',
// CR or LF, `convertir` when it holds a byte from 0x80. Sixteen bytes at a time,
// the last block read into what follows the cell (the row's margin at worst) and
// masked off.
void Examine(const char* cellule, size_t n, bool& quotes, bool& convertir)
{
    const __m128i virgule = _mm_set1_epi8(','), guillemet = _mm_set1_epi8('"'),
                  cr = _mm_set1_epi8('\r'), lf = _mm_set1_epi8('\n');
    unsigned speciaux = 0, hauts = 0;
    for (size_t i = 0; i < n; i += 16) {
        const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(cellule + i));
        const unsigned garde = n - i < 16 ? (1u << (n - i)) - 1 : 0xFFFFu;
        speciaux |=
            garde & static_cast<unsigned>(_mm_movemask_epi8(_mm_or_si128(
                        _mm_or_si128(_mm_cmpeq_epi8(b, virgule), _mm_cmpeq_epi8(b, guillemet)),
                        _mm_or_si128(_mm_cmpeq_epi8(b, cr), _mm_cmpeq_epi8(b, lf)))));
        hauts |= garde & static_cast<unsigned>(_mm_movemask_epi8(b));
    }
    quotes = speciaux != 0;
    convertir = hauts != 0;
}

// One line of a standard CSV at `w`, which has room for TailleLigneStandard bytes:
// a cell of plain ASCII needing no quotes is copied as in LigneSimple, any other
// converted through the UTF-8 table, quoted with its quotes doubled if it needs it.
char* LigneStandard(const Repertoire::VueLigne& vue, char* w)
{
    const char* const source = vue.octets.data();
    for (int c = 0; c < NbColonnes; ++c) {
        if (c > 0) *w++ = ',';
        const size_t debut = vue.Debut(c);
        const size_t longueur = vue.fins[c] - debut;
        if (longueur == 0) continue;
        bool quotes = false, convertir = false;
        Examine(source + debut, longueur, quotes, convertir);
        if (!quotes && !convertir) {
            w = CopieCellule(w, source + debut, longueur);
            continue;
        }
        if (quotes) *w++ = '"';
        w = Encodage::EcritUtf8(w, std::string_view(source + debut, longueur), quotes);
        if (quotes) *w++ = '"';
    }
    *w++ = '\r';
    *w++ = '\n';
    return w;
}

// Three bytes at most per byte (a quote doubled takes two), quotes and separators,
// the line end, and room for the last word written.
size_t TailleLigneStandard(const Repertoire::VueLigne& vue)
{
    return 3 * size_t(vue.fins[NbColonnes - 1]) + 3 * NbColonnes + 2 + 16;
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
    std::string tampon(Bloc, '\0');
    size_t utilise = 0;
    const bool standard = type == TypeFichier::CsvStandard;
    if (standard) {
        std::memcpy(tampon.data(), MarqueUtf8, 3);
        utilise = 3;
    }
    const char separateur = FormatEchange::Separateur(type);
    for (int ligne = 0; ligne < rep.NbLignes(); ++ligne) {
        const Repertoire::VueLigne vue = rep.Vue(ligne);
        const size_t place = standard ? TailleLigneStandard(vue) : TailleLigne(vue);
        if (utilise + place > tampon.size()) {
            if (!ecrit(tampon.data(), utilise)) return false;
            utilise = 0;
            if (place > tampon.size()) tampon.resize(place);
        }
        char* const debut = tampon.data() + utilise;
        char* const fin =
            standard ? LigneStandard(vue, debut) : LigneSimple(vue, separateur, debut);
        utilise += static_cast<size_t>(fin - debut);
    }
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
