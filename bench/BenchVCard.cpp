// vCard export and import of the whole book against their floors: writing the
// same bytes durably after converting every cell to UTF-8, and reading the file,
// converting it to Windows-1252 and storing each card's values in a record.
#include "BenchOutils.h"

#include "exchange/AssociationChamps.h"
#include "exchange/Encodage.h"
#include "exchange/ExportationVCard.h"
#include "exchange/Importation.h"
#include "exchange/LectureImport.h"
#include "exchange/LectureVCard.h"
#include "exchange/TableImport.h"
#include "records/FichierSur.h"
#include "records/OuvertureSure.h"

#include <QDir>
#include <algorithm>
#include <cstring>
#include <string>

namespace
{

volatile size_t puits;

void VCard(const Repertoire& livre, const QString& dossier)
{
    QElapsedTimer t;
    const QString images = dossier + QStringLiteral("/images");
    QDir().mkpath(images);
    const QString chemin = dossier + QStringLiteral("/export.vcf");
    double exportation = 1e9, plancher = 1e9;
    for (int essai = 0; essai < 5; ++essai) {
        t.start();
        const QString erreur =
            ExportationVCard::Exporte(chemin, livre, TypeFichier::VCard3, false, images);
        exportation = std::min(exportation, Secondes(t));
        if (!erreur.isEmpty()) std::fprintf(stderr, "%s\n", qPrintable(erreur));
        const std::string octets = ExportationVCard::Octets(livre, TypeFichier::VCard3);
        // Every cell converted into a buffer that stays in the cache, as the export
        // converts a block at a time; the file's bytes written a block at a time
        // with the same durability.
        t.restart();
        {
            std::string utf8;
            utf8.reserve(BenchOutils::FichierPlancher::Bloc + (1 << 16));
            size_t total = 0;
            for (int r = 1; r < livre.NbLignes(); ++r) {
                const Repertoire::VueLigne vue = livre.Vue(r);
                for (int c = 0; c < NbColonnes; ++c)
                    Encodage::AjouteUtf8(utf8, vue.Cellule(c));
                if (utf8.size() >= BenchOutils::FichierPlancher::Bloc) {
                    total += utf8.size();
                    utf8.clear();
                }
            }
            puits = total + utf8.size();
            BenchOutils::FichierPlancher f(dossier, "plancher.vcf");
            for (size_t i = 0; i < octets.size(); i += BenchOutils::FichierPlancher::Bloc) {
                const size_t n = std::min(BenchOutils::FichierPlancher::Bloc, octets.size() - i);
                char* w = f.Place(n);
                std::memcpy(w, octets.data() + i, n);
                f.Avance(w + n);
            }
            if (!f.Termine()) std::fprintf(stderr, "vcard-export : plancher non écrit\n");
        }
        plancher = std::min(plancher, Secondes(t));
    }
    Ligne("vcard-export", exportation, plancher);

    double importation = 1e9, plancherImport = 1e9;
    for (int essai = 0; essai < 5; ++essai) {
        t.restart();
        {
            std::string octets;
            OuvertureSure::LitTout(chemin, octets, INT64_MAX);
            Encodage::VersWindows1252(octets);
            Repertoire rep;
            rep.Reserve(livre.NbLignes());
            std::array<std::string_view, NbColonnes> cellules{};
            size_t n = 0;
            const char* p = octets.data();
            const char* const fin = p + octets.size();
            while (p < fin) {
                const char* lf = static_cast<const char*>(std::memchr(p, '\n', size_t(fin - p)));
                if (!lf) lf = fin;
                const char* dp = static_cast<const char*>(std::memchr(p, ':', size_t(lf - p)));
                if (dp && dp - p == 3 && std::memcmp(p, "END", 3) == 0) {
                    rep.RemplitLigne(rep.AjouteFiche(), cellules);
                    cellules.fill({});
                    n = 0;
                } else if (dp && n < cellules.size()) {
                    cellules[n++] = std::string_view(dp + 1, size_t(lf - dp - 2));
                }
                p = lf + 1;
            }
            puits = static_cast<size_t>(rep.NbFiches());
        }
        plancherImport = std::min(plancherImport, Secondes(t));
        t.restart();
        {
            TableImport table;
            AssociationChamps association;
            LectureVCard lecture;
            const QString erreur =
                lecture.Lit(chemin, table, association, nullptr, LectureImport::DuLivre());
            Repertoire rep;
            Importation::AppendImportedRecords(rep, table, association);
            importation = std::min(importation, Secondes(t));
            if (!erreur.isEmpty() || rep.NbFiches() != livre.NbFiches())
                std::fprintf(stderr, "import vCard incorrect : %s\n", qPrintable(erreur));
        }
    }
    Ligne("vcard-import", importation, plancherImport);
}

} // namespace

CARNET_BENCH(vcard, VCard)
