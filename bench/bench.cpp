// carnet-bench [--records N] [--sync N]: generates a book and times each operation against
// its floor, in one run. One line per measure: NAME SECONDS FLOOR_SECONDS RATIO
// (memory: memory MB FILE_MB RATIO). It reports; it never fails.
#include "BenchOutils.h"
#include "mainwindow/MesureColonne.h"
#include "mainwindow/ModeleRepertoire.h"
#include "mainwindow/TFiche.h"
#include "mainwindow/TGrille.h"
#include "records/Tri.h"
#include "records/CodePage.h"
#include "records/FichierRep.h"
#include "records/Repertoire.h"
#include "search/Chercheur.h"
#include "search/OptionsRecherche.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFont>
#include <QProcess>
#include <QTabWidget>
#include <QTemporaryDir>
#include <algorithm>
#include <array>
#include <cstdio>
#include <fcntl.h>
#include <fstream>
#include <random>
#include <string>
#include <unistd.h>
#include <vector>

// A book whose fields look like real ones: names with accents, addresses, phone
// numbers, e-mail addresses, a few multi-line notes, many empty fields.
Repertoire Genere(int n)
{
    static const char* noms[] = {"Martin",  "Bernard",  "Dubois",  "Thomas", "Robert",   "Richard",
                                 "Petit",   "Durand",   "Leroy",   "Moreau", "Simon",    "Laurent",
                                 "Lefèvre", "Michel",   "Garcia",  "David",  "Bertrand", "Roux",
                                 "Vincent", "Fournier", "Morel",   "Girard", "André",    "Lefebvre",
                                 "Mercier", "Dupont",   "Lambert", "Bonnet", "François", "Martinez",
                                 "Éluard",  "dupuis",   "Chéreau", "Müller", "O'Brien",  "Zola"};
    static const char* prenoms[] = {"Jean",  "Marie",  "Pierre", "Anne",   "Michel", "Françoise",
                                    "André", "Hélène", "Jérôme", "Cécile", "Loïc",   "Gaëlle",
                                    "Noël",  "Zoé",    "Benoît", "Agnès"};
    static const char* villes[] = {"Paris", "Lyon",          "Marseille", "Besançon", "Orléans",
                                   "Nîmes", "Saint-Étienne", "Grenoble",  "Caen",     "Épinal"};
    static const char* rues[] = {"rue de la République",  "avenue Jean Jaurès",
                                 "boulevard Victor Hugo", "place de l'Église",
                                 "chemin des Prés",       "allée des Châtaigniers"};
    std::mt19937 alea(20261206);
    auto choix = [&](auto& tableau) {
        return QString::fromUtf8(tableau[alea() % (sizeof(tableau) / sizeof(tableau[0]))]);
    };
    auto octets = [](const QString& s) { return CodePage::Octets(s); };
    auto tel = [&] {
        char b[20];
        std::snprintf(b, sizeof b, "0%u %02u %02u %02u %02u", 1 + alea() % 9, alea() % 100,
                      alea() % 100, alea() % 100, alea() % 100);
        return std::string(b);
    };
    Repertoire rep;
    rep.Reserve(n + 1);
    rep.SetNbLignes(n + 1);
    for (int r = 1; r <= n; ++r) {
        const QString nom = choix(noms);
        const QString prenom = choix(prenoms);
        rep.SetCellule(Nom, r, octets(nom));
        rep.SetCellule(Prenom, r, octets(prenom));
        rep.SetCellule(Civil, r, alea() % 2 ? "Monsieur" : "Madame");
        rep.SetCellule(Adresse1, r, std::to_string(1 + alea() % 200) + " " + octets(choix(rues)));
        if (alea() % 5 == 0)
            rep.SetCellule(Adresse2, r,
                           "Bâtiment " + std::string(1, static_cast<char>('A' + alea() % 6)));
        rep.SetCellule(CP, r, std::to_string(10000 + alea() % 85000));
        rep.SetCellule(Ville, r, octets(choix(villes)));
        rep.SetCellule(Pays, r, alea() % 10 ? "France" : "Belgique");
        rep.SetCellule(Tel, r, tel());
        if (alea() % 2) rep.SetCellule(Portable, r, tel());
        rep.SetCellule(Internet, r,
                       (prenom + QLatin1Char('.') + nom).toLower().toStdString() + "@exemple.fr");
        if (alea() % 3 == 0) {
            rep.SetCellule(Societe, r, "Société " + octets(nom) + " et fils");
            rep.SetCellule(Fonction, r, alea() % 2 ? "Directeur" : "Comptable");
            rep.SetCellule(STel, r, tel());
            rep.SetCellule(SVille, r, octets(choix(villes)));
        }
        if (alea() % 4 == 0)
            rep.SetCellule(Notes, r,
                           "Rencontré au salon\r\nRappeler en septembre\r\nAmi de la famille");
        if (alea() % 10 == 0) {
            rep.SetCellule(Banque, r, "Crédit du Nord");
            rep.SetCellule(Compte, r, std::to_string(10000000 + alea() % 89999999));
        }
        rep.SetFlagMail(r, alea() % 7 == 0 ? "1" : "0");
    }
    return rep;
}

namespace
{

long PicOctets()
{
    std::ifstream statut("/proc/self/status");
    std::string ligne;
    while (std::getline(statut, ligne))
        if (ligne.rfind("VmHWM:", 0) == 0) return std::atol(ligne.c_str() + 6) * 1024;
    return 0;
}

// In a fresh process: the memory the book takes once loaded, and at the peak of the
// load, both over what the process held before it.
int MesureMemoire(const char* chemin)
{
    const long avant = RssOctets();
    Repertoire rep;
    const QString erreur = FichierRep::ChargeRepertoire(QString::fromLocal8Bit(chemin), rep);
    const long apres = RssOctets();
    const long pic = PicOctets();
    std::printf("%ld %ld %d\n", apres - avant, pic - avant, erreur.isEmpty() ? rep.NbFiches() : -1);
    return 0;
}

// The same bytes replaced with the same durability as a save: a temporary file
// beside the target, written, forced to the disk, renamed, the folder synced.
void RemplacementDurable(const QByteArray& octets, const QString& chemin)
{
    const QByteArray cible = QFile::encodeName(chemin);
    const QByteArray temporaire = cible + ".tmp";
    const int fd = open(temporaire.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (write(fd, octets.constData(), static_cast<size_t>(octets.size())) != octets.size())
        std::fprintf(stderr, "écriture du plancher incomplète\n");
    fdatasync(fd);
    close(fd);
    rename(temporaire.constData(), cible.constData());
    const int dossier = open(QFile::encodeName(QFileInfo(chemin).absolutePath()).constData(),
                             O_RDONLY | O_DIRECTORY);
    fsync(dossier);
    close(dossier);
}

} // namespace

int main(int argc, char** argv)
{
    if (argc == 3 && std::string(argv[1]) == "--memoire") return MesureMemoire(argv[2]);
    // Only the measures' lines are printed: Qt's notes about the offscreen platform
    // would break their format.
    qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& texte) {
        if (type == QtFatalMsg || type == QtCriticalMsg)
            std::fprintf(stderr, "%s\n", qPrintable(texte));
    });
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    if (qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR")) {
        const QByteArray runtime = QDir::tempPath().toLocal8Bit() + "/carnet-bench-runtime";
        QDir().mkpath(QString::fromLocal8Bit(runtime));
        QFile::setPermissions(QString::fromLocal8Bit(runtime),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        qputenv("XDG_RUNTIME_DIR", runtime);
    }
    QApplication app(argc, argv);
    Q_INIT_RESOURCE(carnet);
    int n = 100000;
    for (int i = 1; i + 1 < argc; ++i)
        if (std::string(argv[i]) == "--records") n = std::max(1, std::atoi(argv[i + 1]));

    QTemporaryDir dossier;
    if (getenv("GARDE")) dossier.setAutoRemove(false);
    const QString chemin = dossier.filePath(QStringLiteral("bench.REP"));
    {
        Repertoire rep = Genere(n);
        const QString erreur = FichierRep::EcritRepertoire(chemin, rep);
        if (!erreur.isEmpty()) {
            std::fprintf(stderr, "%s\n", qPrintable(erreur));
            return 1;
        }
    }
    const double tailleFichier = static_cast<double>(QFileInfo(chemin).size());

    // load (best of three runs, for the measure and for its floor)
    QElapsedTimer t;
    double plancherLecture = 1e9, lecture = 1e9;
    long lignes = 0;
    Repertoire rep;
    QString erreur;
    for (int essai = 0; essai < 3; ++essai) {
        t.start();
        {
            QFile f(chemin);
            f.open(QIODevice::ReadOnly);
            const QByteArray b = f.readAll();
            lignes = std::count(b.begin(), b.end(), '\n');
        }
        plancherLecture = std::min(plancherLecture, Secondes(t));
        rep = Repertoire();
        t.restart();
        erreur = FichierRep::ChargeRepertoire(chemin, rep);
        lecture = std::min(lecture, Secondes(t));
    }
    if (!erreur.isEmpty() || rep.NbFiches() != n || lignes != 2 + 47L * (n + 1)) {
        std::fprintf(stderr, "lecture incorrecte\n");
        return 1;
    }
    Ligne("load", lecture, plancherLecture);

    // memory after the load and at its peak, in a fresh process
    {
        QProcess mesure;
        mesure.start(QCoreApplication::applicationFilePath(),
                     {QStringLiteral("--memoire"), chemin});
        mesure.waitForFinished(-1);
        long apres = 0, pic = 0, fiches = 0;
        if (std::sscanf(mesure.readAllStandardOutput().constData(), "%ld %ld %ld", &apres, &pic,
                        &fiches) != 3 ||
            fiches != n)
            std::fprintf(stderr, "mesure de la mémoire impossible\n");
        std::printf("memory %.1f %.1f %.2f\n", apres / 1e6, tailleFichier / 1e6,
                    apres / tailleFichier);
        std::printf("memory_peak %.1f %.1f %.2f\n", pic / 1e6, tailleFichier / 1e6,
                    pic / tailleFichier);
    }

    // save, against the same bytes replaced as durably
    const QByteArray octets = FichierRep::Serialise(rep);
    const QString copie = dossier.filePath(QStringLiteral("plancher.REP"));
    double plancherEcriture = 1e9, ecriture = 1e9;
    for (int essai = 0; essai < 3; ++essai) {
        t.restart();
        RemplacementDurable(octets, copie);
        plancherEcriture = std::min(plancherEcriture, Secondes(t));
        t.restart();
        FichierRep::EcritRepertoire(dossier.filePath(QStringLiteral("ecrit.REP")), rep);
        ecriture = std::min(ecriture, Secondes(t));
    }
    Ligne("save", ecriture, plancherEcriture);

    // sort on Nom, against sorting the row numbers by key and moving the rows once
    {
        Repertoire copieTri = rep;
        t.restart();
        std::vector<std::pair<std::string_view, int>> cles;
        cles.reserve(static_cast<size_t>(n));
        for (int i = 1; i <= n; ++i)
            cles.emplace_back(copieTri.Cellule(Nom, i), i);
        std::sort(cles.begin(), cles.end());
        std::vector<int> ordre;
        ordre.reserve(static_cast<size_t>(n));
        for (const auto& c : cles)
            ordre.push_back(c.second);
        copieTri.Permute(ordre);
        const double plancherTri = Secondes(t);
        t.restart();
        Tri::TriGrille(rep, Nom);
        Ligne("sort", Secondes(t), plancherTri);
        for (int r = 1; r <= n; ++r)
            if (rep.Cellule(Nom, r) != copieTri.Cellule(Nom, r)) {
                std::fprintf(stderr, "tri : ordre différent de la référence\n");
                break;
            }
    }

    // An as-you-type scan that finds nothing, every field searched, against the
    // tightest case-folding pass over the same bytes: one table lookup per byte of
    // each row's searched cells, end to end.
    {
        const OptionsRecherche options;
        std::array<unsigned char, 256> majuscules;
        for (int i = 0; i < 256; ++i)
            majuscules[static_cast<size_t>(i)] =
                static_cast<unsigned char>((i >= 'a' && i <= 'z') ? i - 32 : i);
        const unsigned char motif = 'Q';
        const int derniere = Chercheur::DerniereColonne();
        t.restart();
        long vus = 0;
        for (int r = 1; r <= rep.NbFiches(); ++r) {
            const Repertoire::VueLigne v = rep.Vue(r);
            const auto* o = reinterpret_cast<const unsigned char*>(v.octets.data());
            const uint32_t fin = v.fins[derniere];
            for (uint32_t i = 0; i < fin; ++i)
                vus += majuscules[o[i]] == motif;
        }
        const double plancher = Secondes(t);
        static volatile long puits;
        puits = vus; // the floor's work must not be optimised away
        Chercheur chercheur;
        t.restart();
        const auto resultat = chercheur.ChercheAvant(rep, options, QStringLiteral("qxzwkj"));
        const double scan = Secondes(t);
        if (resultat.trouve || vus < 0) std::fprintf(stderr, "recherche : trouvé par erreur\n");
        Ligne("search", scan, plancher);
    }

    // Fitting a column on all rows, against the cheapest correct measure of the same
    // texts: the width of each distinct character, added up.
    {
        const QFont police(QStringLiteral("MS Sans Serif"), 8);
        // The font is loaded once before either is timed: neither pays for it.
        QFontMetricsF(police).horizontalAdvance(QStringLiteral("Mg"));
        MesureColonne(police).LargeurMax(rep, Ville);
        t.restart();
        const QFontMetricsF mesure(police);
        std::array<double, 256> avances;
        for (int i = 0; i < 256; ++i) {
            const char octet = static_cast<char>(i);
            const QString u = CodePage::VersUnicode(std::string_view(&octet, 1));
            avances[static_cast<size_t>(i)] =
                mesure.horizontalAdvance(u.isEmpty() ? QChar(i) : u.at(0));
        }
        double largeur = 0;
        for (int r = 0; r <= rep.NbFiches(); ++r) {
            double somme = 0;
            for (char c : rep.Cellule(Adresse1, r))
                somme += avances[static_cast<unsigned char>(c)];
            largeur = std::max(largeur, somme);
        }
        const double plancher = Secondes(t);
        t.restart();
        MesureColonne colonne(police);
        const int ajustee = colonne.LargeurMax(rep, Adresse1);
        Ligne("fit", Secondes(t), plancher);
        if (ajustee < largeur - 1)
            std::fprintf(stderr, "ajustement plus étroit que le texte le plus large\n");
    }

    // The main window on this book: from creation to shown with the book loaded, then
    // the everyday operations, each until the window has repainted.
    {
        const auto attendRepeint = [] { QCoreApplication::processEvents(); };
        t.restart();
        QTemporaryDir programme;
        TFiche fiche(programme.path() + QLatin1Char('/'));
        fiche.SetFichierLigneCommande(chemin);
        fiche.show();
        attendRepeint();
        const double demarrage = Secondes(t);
        if (fiche.Rep().NbFiches() != n) std::fprintf(stderr, "le livre ne s'est pas ouvert\n");
        std::printf("startup %.4f\n", demarrage);

        t.restart();
        fiche.PageControl()->setCurrentIndex(TFiche::PageListe);
        attendRepeint();
        std::printf("list_page %.4f\n", Secondes(t));

        t.restart();
        fiche.Grille()->scrollToBottom();
        fiche.Grille()->SetCelluleCourante(0, n);
        attendRepeint();
        std::printf("scroll_end %.4f\n", Secondes(t));

        const int milieu = n / 2 + 1;
        t.restart();
        fiche.Modele()->setData(
            fiche.Modele()->index(ModeleRepertoire::LigneDuModele(milieu), Ville),
            QStringLiteral("Besançon"));
        attendRepeint();
        std::printf("edit_cell %.4f\n", Secondes(t));

        fiche.Grille()->SetCelluleCourante(0, milieu);
        t.restart();
        fiche.SupprimeSelection(milieu, milieu);
        attendRepeint();
        std::printf("delete_middle %.4f\n", Secondes(t));
        if (fiche.Rep().NbFiches() != n - 1) std::fprintf(stderr, "suppression incorrecte\n");

        t.restart();
        fiche.MajOnglets();
        attendRepeint();
        std::printf("tabs %.4f\n", Secondes(t));

        t.restart();
        fiche.PageControl()->setCurrentIndex(TFiche::PagePrive);
        attendRepeint();
        std::printf("record_page %.4f\n", Secondes(t));
        fiche.Rep().SetModifie(false);
    }
    // The measures of the other subsystems, on the same book.
    {
        Repertoire livre;
        FichierRep::ChargeRepertoire(chemin, livre);
        for (const auto& mesure : BenchOutils::Mesures())
            mesure(livre, dossier.path());
    }
    return 0;
}
