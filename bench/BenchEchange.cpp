// Export and import of the whole book against their floors, the memory an import
// takes on top of the book, and the association dialog's opening.
#include "BenchOutils.h"

#include "exchange/AssociationChamps.h"
#include "exchange/Exportation.h"
#include "exchange/Importation.h"
#include "exchange/LectureImport.h"
#include "exchange/TAsso.h"
#include "exchange/TableImport.h"
#include "records/FichierSur.h"

#include <QCoreApplication>
#include <QFile>
#include <algorithm>
#include <malloc.h>
#include <string>
#include <unistd.h>

namespace
{

// The floor's work must not be optimised away.
volatile size_t puits;

// Bytes the allocator hands out now: unlike the resident size, not hidden by
// memory that earlier measures freed and the allocator kept.
double EnService()
{
    const struct mallinfo2 m = mallinfo2();
    return static_cast<double>(m.uordblks + m.hblkhd);
}

void Echange(const Repertoire& livre, const QString& dossier)
{
    QElapsedTimer t;
    const QString chemin = dossier + QStringLiteral("/export.CSV");
    // Best of five runs each: the machine is shared.
    // export: against writing the same bytes with the same durability (temporary
    // file synced, renamed, folder synced), so the ratio is the cost of building them.
    double exportation = 1e9, plancher = 1e9;
    for (int essai = 0; essai < 5; ++essai) {
        t.start();
        const QString erreur = Exportation::ExportAddressBook(chemin, livre, TypeFichier::Csv);
        exportation = std::min(exportation, Secondes(t));
        if (!erreur.isEmpty()) std::fprintf(stderr, "%s\n", qPrintable(erreur));
        const std::string octets = Exportation::Octets(livre, TypeFichier::Csv);
        t.restart();
        FichierSur::Ecrit(dossier + QStringLiteral("/plancher.CSV"), octets.data(), octets.size());
        plancher = std::min(plancher, Secondes(t));
    }
    Ligne("export", exportation, plancher);

    // import: read, split, stage and append with every field associated, against
    // reading the file and finding its cells in one pass.
    AssociationChamps identite;
    for (int c = 0; c < NbColonnes; ++c)
        identite.Associe(c, c);
    const double tailleFichier = static_cast<double>(QFile(chemin).size());
    const int64_t limite = LectureImport::DuLivre().octets;
    if (tailleFichier > static_cast<double>(limite)) {
        // The import refuses files this large: there is nothing to time.
        std::fprintf(stderr, "import : fichier de %.0f Mo refusé (limite %lld Mo)\n",
                     tailleFichier / 1e6, static_cast<long long>(limite >> 20));
        return;
    }
    double importation = 1e9, plancherImport = 1e9, pic = 0;
    for (int essai = 0; essai < 5; ++essai) {
        t.restart();
        {
            QFile f(chemin);
            f.open(QIODevice::ReadOnly);
            const QByteArray b = f.readAll();
            std::vector<uint32_t> fins;
            fins.reserve(static_cast<size_t>(livre.NbLignes()) * NbColonnes);
            for (qsizetype i = 0; i < b.size(); ++i)
                if (b[i] == ';' || b[i] == '\n') fins.push_back(static_cast<uint32_t>(i));
            puits = fins.size();
        }
        plancherImport = std::min(plancherImport, Secondes(t));
        Repertoire rep;
        double avecTable = 0;
        t.restart();
        {
            TableImport table;
            const QString erreur =
                LectureImport::ReadDelimitedFile(chemin, TypeFichier::Csv, table, nullptr);
            Importation::AppendImportedRecords(rep, table, identite);
            importation = std::min(importation, Secondes(t));
            avecTable = EnService();
            if (!erreur.isEmpty() || rep.NbFiches() != livre.NbLignes())
                std::fprintf(stderr, "import incorrect\n");
        }
        // The most the import holds on top of the book it leaves: the staging table
        // while the records are appended (the file is read into its buffer).
        pic = std::max(pic, avecTable - EnService());
    }
    Ligne("import", importation, plancherImport);
    std::printf("import_memory %.1f %.1f %.2f\n", pic / 1e6, tailleFichier / 1e6,
                pic / tailleFichier);

    // The association dialog on a file of as many lines as the book.
    {
        TableImport table;
        LectureImport::ReadDelimitedFile(chemin, TypeFichier::Csv, table, nullptr);
        std::vector<std::string> titres;
        for (int c = 0; c < NbColonnes; ++c)
            titres.emplace_back(livre.Cellule(c, 0));
        TAsso asso;
        t.restart();
        asso.Prepare(titres, table);
        asso.show();
        QCoreApplication::processEvents();
        std::printf("asso_open %.4f\n", Secondes(t));
        asso.EndBtnClick();
        asso.hide();
    }
}

} // namespace

CARNET_BENCH(echange, Echange)
