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
#include <array>
#include <cstring>
#include <string>

namespace
{

volatile size_t puits;

// Where a property's value goes: its components (N, ADR) each to a field, or the
// whole value to one field; -1 drops a component.
struct Destination {
    const char* cle; // the name and parameters, as written before ':'
    std::array<int, 7> champs;
    bool compose;
};
const Destination Destinations[] = {
    {"N", {Nom, Prenom, -1, Civil, -1, -1, -1}, true},
    {"ADR;TYPE=home", {-1, -1, Adresse1, Ville, -1, CP, Pays}, true},
    {"ADR;TYPE=work", {-1, -1, SAdresse1, SVille, -1, SCP, SPays}, true},
    {"TEL;TYPE=home,voice", {Tel}, false},
    {"TEL;TYPE=cell", {Portable}, false},
    {"TEL;TYPE=work,voice", {STel}, false},
    {"EMAIL;TYPE=home", {Internet}, false},
    {"NOTE", {Notes}, false},
    {"TITLE", {Fonction}, false},
    {"ORG", {Societe}, false},
    {"X-CARNET-BANQUE", {Banque}, false},
    {"X-CARNET-COMPTE", {Compte}, false},
    {"X-CARNET-BNOTES", {BNotes}, false},
};

// The least a reader of the program's own vCard export does, the simplest fast way:
// each line found (memchr), folded lines joined, the property told by its name and
// parameters, structured values split on ';', escapes undone (\n to CR LF), a
// street's second line to the next field, each card's cells stored as a record.
void PlancherLectureVCard(const std::string& octets, Repertoire& rep)
{
    std::array<std::string_view, NbColonnes> cellules{};
    std::string brouillon;
    brouillon.reserve(size_t(1) << 20); // the views into it stay valid within a card
    std::string valeur;
    const char* p = octets.data();
    const char* const fin = p + octets.size();
    const auto ligneSuivante = [&](const char* debut) {
        const char* lf = static_cast<const char*>(std::memchr(debut, '\n', size_t(fin - debut)));
        return lf ? lf : fin;
    };
    while (p < fin) {
        const char* lf = ligneSuivante(p);
        const char* dp = static_cast<const char*>(std::memchr(p, ':', size_t(lf - p)));
        const char* finValeur = lf > p && lf[-1] == '\r' ? lf - 1 : lf;
        if (!dp) {
            p = lf + 1;
            continue;
        }
        const std::string_view cle(p, size_t(dp - p));
        std::string_view brute(dp + 1, size_t(finValeur - dp - 1));
        // Folded lines: the value goes on after each line end followed by a space.
        if (lf + 1 < fin && lf[1] == ' ') {
            valeur.assign(brute);
            while (lf + 1 < fin && lf[1] == ' ') {
                const char* suite = lf + 2;
                lf = ligneSuivante(suite);
                valeur.append(suite, size_t((lf > suite && lf[-1] == '\r' ? lf - 1 : lf) - suite));
            }
            brute = valeur;
        }
        p = lf + 1;
        if (cle == "END") {
            rep.RemplitLigne(rep.AjouteFiche(), cellules);
            cellules.fill({});
            brouillon.clear();
            continue;
        }
        const Destination* d = nullptr;
        for (const Destination& e : Destinations)
            if (cle == e.cle) {
                d = &e;
                break;
            }
        if (!d) continue;
        // One component after another (the whole value when not structured).
        size_t composant = 0;
        size_t i = 0;
        for (;;) {
            const size_t debut = brouillon.size();
            while (i < brute.size() && !(d->compose && brute[i] == ';')) {
                const void* barre = std::memchr(brute.data() + i, '\\', brute.size() - i);
                const void* pv =
                    d->compose ? std::memchr(brute.data() + i, ';', brute.size() - i) : nullptr;
                size_t j = brute.size();
                if (barre) j = std::min(j, size_t(static_cast<const char*>(barre) - brute.data()));
                if (pv) j = std::min(j, size_t(static_cast<const char*>(pv) - brute.data()));
                brouillon.append(brute.data() + i, j - i);
                i = j;
                if (i < brute.size() && brute[i] == '\\' && i + 1 < brute.size()) {
                    const char e = brute[i + 1];
                    if (e == 'n' || e == 'N')
                        brouillon.append("\r\n", 2);
                    else
                        brouillon.push_back(e);
                    i += 2;
                }
            }
            const int champ = composant < d->champs.size() ? d->champs[composant] : -1;
            if (champ >= 0) {
                std::string_view texte(brouillon.data() + debut, brouillon.size() - debut);
                const size_t saut = d->compose && (champ == Adresse1 || champ == SAdresse1)
                                        ? texte.find("\r\n")
                                        : std::string_view::npos;
                if (saut != std::string_view::npos) {
                    cellules[size_t(champ) + 1] = texte.substr(saut + 2);
                    texte = texte.substr(0, saut);
                }
                cellules[size_t(champ)] = texte;
            }
            if (i >= brute.size()) break;
            ++i; // the ';'
            ++composant;
        }
    }
}

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
            PlancherLectureVCard(octets, rep);
            plancherImport = std::min(plancherImport, Secondes(t));
            puits = static_cast<size_t>(rep.NbFiches());
            // The same records as the book exported (checked untimed, once).
            bool pareil = rep.NbFiches() == livre.NbFiches();
            for (int r = 1; pareil && essai == 0 && r <= rep.NbFiches(); ++r)
                for (int c = 0; pareil && c < NbColonnes - 1; ++c)
                    if (rep.Cellule(c, r) != livre.Cellule(c, r)) {
                        std::fprintf(stderr, "plancher d'import vCard : fiche %d, champ %d\n", r,
                                     c);
                        pareil = false;
                    }
        }
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
