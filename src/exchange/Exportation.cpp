#include "Exportation.h"

#include "Encodage.h"
#include "records/FichierSur.h"
#include "records/Repertoire.h"

#include <cstring>

namespace
{

// CodeLigne with a space, appended in place.
void AjouteCelluleSimple(std::string& sortie, std::string_view cellule)
{
    const char* p = cellule.data();
    const char* const fin = p + cellule.size();
    while (p < fin) {
        const void* cr = std::memchr(p, '\r', static_cast<size_t>(fin - p));
        const char* q = cr ? static_cast<const char*>(cr) : fin;
        sortie.append(p, static_cast<size_t>(q - p));
        if (q == fin) break;
        if (q + 1 < fin && q[1] == '\n') {
            sortie.push_back(' ');
            p = q + 2;
        } else {
            sortie.push_back('\r'); // a lone CR is written as held
            p = q + 1;
        }
    }
}

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
    size_t taille = 3;
    for (int ligne = 0; ligne < rep.NbLignes(); ++ligne)
        taille += rep.Vue(ligne).fins[NbColonnes - 1] + NbColonnes + 1;
    // Accents take two bytes in UTF-8.
    sortie.reserve(type == TypeFichier::CsvStandard ? taille + taille / 8 : taille);
    if (type == TypeFichier::CsvStandard) sortie.append("\xEF\xBB\xBF", 3);
    const char separateur = FormatEchange::Separateur(type);
    for (int ligne = 0; ligne < rep.NbLignes(); ++ligne) {
        const Repertoire::VueLigne vue = rep.Vue(ligne);
        for (int c = 0; c < NbColonnes; ++c) {
            if (c > 0) sortie.push_back(separateur);
            if (type == TypeFichier::CsvStandard)
                AjouteCelluleStandard(sortie, vue.Cellule(c));
            else
                AjouteCelluleSimple(sortie, vue.Cellule(c));
        }
        sortie.append("\r\n", 2);
    }
    return sortie;
}

QString Exportation::ExportAddressBook(const QString& chemin, const Repertoire& rep,
                                       TypeFichier type)
{
    const std::string octets = Octets(rep, type);
    const QString raison = FichierSur::Ecrit(chemin, octets.data(), octets.size());
    if (raison.isEmpty()) return {};
    return QString::fromUtf8("Impossible d'exporter le carnet d'adresses dans « %1 » :\n%2")
        .arg(chemin, raison);
}
