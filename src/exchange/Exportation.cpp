#include "Exportation.h"

#include "Encodage.h"
#include "records/FichierSur.h"
#include "records/Repertoire.h"

#include <cstring>
#include <memory>

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

std::string Exportation::Octets(const Repertoire& rep, TypeFichier type)
{
    std::string sortie;
    if (type == TypeFichier::CsvStandard) {
        size_t taille = 3;
        for (int ligne = 0; ligne < rep.NbLignes(); ++ligne)
            taille += rep.Vue(ligne).fins[NbColonnes - 1] + NbColonnes + 1;
        sortie.reserve(taille + taille / 8); // accents take two bytes in UTF-8
        sortie.append("\xEF\xBB\xBF", 3);
        for (int ligne = 0; ligne < rep.NbLignes(); ++ligne) {
            const Repertoire::VueLigne vue = rep.Vue(ligne);
            for (int c = 0; c < NbColonnes; ++c) {
                if (c > 0) sortie.push_back(',');
                AjouteCelluleStandard(sortie, vue.Cellule(c));
            }
            sortie.append("\r\n", 2);
        }
        return sortie;
    }
    // Types 1 and 2.
    sortie.resize(TailleMax(rep));
    sortie.resize(EcritSimple(rep, FormatEchange::Separateur(type), sortie.data()));
    return sortie;
}

size_t Exportation::TailleMax(const Repertoire& rep)
{
    // The exact size when no cell holds a CR LF, an upper bound otherwise.
    size_t taille = 0;
    for (int ligne = 0; ligne < rep.NbLignes(); ++ligne)
        taille += rep.Vue(ligne).fins[NbColonnes - 1] + NbColonnes + 1;
    return taille;
}

size_t Exportation::EcritSimple(const Repertoire& rep, char separateur, char* const debut)
{
    char* w = debut;
    for (int ligne = 0; ligne < rep.NbLignes(); ++ligne) {
        const Repertoire::VueLigne vue = rep.Vue(ligne);
        const bool cr = std::memchr(vue.octets.data(), '\r', vue.octets.size()) != nullptr;
        for (int c = 0; c < NbColonnes; ++c) {
            if (c > 0) *w++ = separateur;
            const std::string_view cellule = vue.Cellule(c);
            if (!cr || !std::memchr(cellule.data(), '\r', cellule.size())) {
                // Most cells are a few bytes: copied inline rather than by a call.
                if (cellule.size() < 32) {
                    for (char o : cellule)
                        *w++ = o;
                } else {
                    std::memcpy(w, cellule.data(), cellule.size());
                    w += cellule.size();
                }
                continue;
            }
            // CodeLigne with a space; a lone CR is written as held.
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
    }
    return static_cast<size_t>(w - debut);
}

QString Exportation::ExportAddressBook(const QString& chemin, const Repertoire& rep,
                                       TypeFichier type)
{
    QString raison;
    if (type == TypeFichier::CsvStandard) {
        const std::string octets = Octets(rep, type);
        raison = FichierSur::Ecrit(chemin, octets.data(), octets.size());
    } else {
        // Not zero-filled first, unlike a string: every byte written is the file's.
        const std::unique_ptr<char[]> tampon(new char[TailleMax(rep)]);
        const size_t taille = EcritSimple(rep, FormatEchange::Separateur(type), tampon.get());
        raison = FichierSur::Ecrit(chemin, tampon.get(), taille);
    }
    if (raison.isEmpty()) return {};
    return QString::fromUtf8("Impossible d'exporter le carnet d'adresses dans « %1 » :\n%2")
        .arg(chemin, raison);
}
