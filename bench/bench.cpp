// carnet-bench [--records N] [--seulement nom,nom...] [--sync N]: generates a book, then times
// each operation against its floor. One line per measure: NAME SECONDS
// FLOOR_SECONDS RATIO (memory: memory MB FILE_MB RATIO). It reports; it never fails.
//
// Each side of a measure runs in a fresh process (carnet-bench --enfant ...), several
// times, and the best run is kept; `start` times a fresh start of the program, from
// its exec to the first record shown.
#include "BenchOutils.h"
#include "app/Lancement.h"
#include "mainwindow/TFiche.h"
#include "records/CodePage.h"
#include "records/FichierRep.h"
#include "records/Repertoire.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <map>
#include <random>
#include <string>
#include <vector>

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
    // Every text reaches the book as Windows-1252 bytes, as the program stores them.
    auto octets = [](const QString& s) { return CodePage::Octets(s); };
    auto u8 = [&](const char* s) { return octets(QString::fromUtf8(s)); };
    auto tel = [&] {
        char b[20];
        const auto u = [&](unsigned m) { return static_cast<unsigned>(alea() % m); };
        std::snprintf(b, sizeof b, "0%u %02u %02u %02u %02u", 1 + u(9), u(100), u(100), u(100),
                      u(100));
        return std::string(b);
    };
    const std::string batiment = u8("Bâtiment ");
    const std::string societe = u8("Société ");
    const std::string notes =
        u8("Rencontré au salon\r\nRappeler en septembre\r\nAmi de la famille");
    const std::string banque = u8("Crédit du Nord");
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
                           batiment + std::string(1, static_cast<char>('A' + alea() % 6)));
        rep.SetCellule(CP, r, std::to_string(10000 + alea() % 85000));
        rep.SetCellule(Ville, r, octets(choix(villes)));
        rep.SetCellule(Pays, r, alea() % 10 ? "France" : "Belgique");
        rep.SetCellule(Tel, r, tel());
        if (alea() % 2) rep.SetCellule(Portable, r, tel());
        rep.SetCellule(Internet, r,
                       octets((prenom + QLatin1Char('.') + nom).toLower()) + "@exemple.fr");
        if (alea() % 3 == 0) {
            rep.SetCellule(Societe, r, societe + octets(nom) + " et fils");
            rep.SetCellule(Fonction, r, alea() % 2 ? "Directeur" : "Comptable");
            rep.SetCellule(STel, r, tel());
            rep.SetCellule(SVille, r, octets(choix(villes)));
        }
        if (alea() % 4 == 0) rep.SetCellule(Notes, r, notes);
        if (alea() % 10 == 0) {
            rep.SetCellule(Banque, r, banque);
            rep.SetCellule(Compte, r, std::to_string(10000000 + alea() % 89999999));
        }
        rep.SetFlagMail(r, alea() % 7 == 0 ? "1" : "0");
    }
    // A word only the last record holds, in its last searched field: typing it in the
    // quick search scans the whole book before the caption changes.
    rep.SetCellule(BNotes, n, "Wxqj");
    return rep;
}

// The resources live in the static library: make sure the linker keeps them.
static void InitRessources()
{
    Q_INIT_RESOURCE(carnet);
}

Repertoire& BenchOutils::Contexte::Livre()
{
    if (!m_livre) {
        m_livre = std::make_unique<Repertoire>();
        const QString erreur = FichierRep::ChargeRepertoire(m_chemin, *m_livre);
        if (!erreur.isEmpty() || m_livre->NbFiches() != m_fiches)
            Erreur("le livre ne s'est pas chargé : " + erreur.toStdString());
    }
    return *m_livre;
}

void BenchOutils::Contexte::Note(const std::string& ligne)
{
    std::printf("note %s\n", ligne.c_str());
}

void BenchOutils::Contexte::Erreur(const std::string& texte)
{
    std::fprintf(stderr, "%s\n", texte.c_str());
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

// The program as a user starts it, on the book, with settings and a program folder of
// its own: prints "pret" with the caption once the first record is painted.
int Demarrage(const char* programme, const char* chemin, const char* dossier)
{
    qputenv("XDG_CONFIG_HOME", QByteArray(dossier) + "/config");
    qputenv("XDG_DATA_HOME", QByteArray(dossier) + "/data");
    std::vector<char*> arguments = {const_cast<char*>(programme), const_cast<char*>(chemin),
                                    nullptr};
    int argc = 2;
    Lancement::Options options;
    options.dossierProgramme = QString::fromLocal8Bit(dossier);
    options.premiereFicheAffichee = [](TFiche& fiche) {
        std::printf("pret %s\n", fiche.windowTitle().toUtf8().constData());
        std::fflush(stdout);
        _exit(0); // the time of the close is not the start's
    };
    return Lancement::Execute(argc, arguments.data(), options);
}

void PrepareEnvironnement()
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    if (qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR")) {
        const QByteArray runtime = QDir::tempPath().toLocal8Bit() + "/carnet-bench-runtime";
        QDir().mkpath(QString::fromLocal8Bit(runtime));
        QFile::setPermissions(QString::fromLocal8Bit(runtime),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        qputenv("XDG_RUNTIME_DIR", runtime);
    }
}

// Only the measures' lines are printed: Qt's notes about the offscreen platform
// would break their format.
void Silence()
{
    qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& texte) {
        if (type == QtFatalMsg || type == QtCriticalMsg)
            std::fprintf(stderr, "%s\n", qPrintable(texte));
    });
}

// One side of one measure, in this fresh process: prints "temps SECONDS" and its notes.
int Enfant(int argc, char** argv, const std::string& nom, bool plancher, const QString& chemin,
           int fiches, const QString& dossier)
{
    QApplication app(argc, argv);
    InitRessources();
    for (const BenchOutils::Paire& p : BenchOutils::Paires()) {
        if (nom != p.nom) continue;
        BenchOutils::Contexte contexte(chemin, dossier, fiches);
        const double secondes = (plancher ? p.plancher : p.produit)(contexte);
        std::printf("temps %.6f\n", secondes);
        std::fflush(stdout);
        _exit(0); // tearing down a large book is not part of any measure
    }
    std::fprintf(stderr, "mesure inconnue : %s\n", nom.c_str());
    return 1;
}

int Ancien(int argc, char** argv, const std::string& nom, const QString& chemin,
           const QString& dossier)
{
    QApplication app(argc, argv);
    InitRessources();
    for (const auto& [nomMesure, mesure] : BenchOutils::Mesures()) {
        if (nom != nomMesure) continue;
        Repertoire livre;
        FichierRep::ChargeRepertoire(chemin, livre);
        mesure(livre, dossier);
        std::fflush(stdout);
        _exit(0);
    }
    return 1;
}

struct Sortie {
    std::string texte;
    bool ok = false;
};

Sortie Lance(const QStringList& arguments)
{
    QProcess p;
    p.setProcessChannelMode(QProcess::SeparateChannels);
    p.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    p.start(QCoreApplication::applicationFilePath(), arguments);
    p.waitForFinished(-1);
    return {p.readAllStandardOutput().toStdString(),
            p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0};
}

// The best of `essais` fresh processes on each side, the sides taking turns.
void MesurePaire(const BenchOutils::Paire& p, const QString& chemin, int fiches,
                 const QString& dossier)
{
    double meilleur[2] = {1e9, 1e9};
    std::vector<std::string> notes;
    const int cotes = p.plancher ? 2 : 1;
    for (int essai = 0; essai < p.essais; ++essai) {
        for (int cote = 0; cote < cotes; ++cote) {
            QTemporaryDir propre(dossier + QStringLiteral("/essai-XXXXXX"));
            const Sortie s = Lance({QStringLiteral("--enfant"), QString::fromUtf8(p.nom),
                                    cote ? QStringLiteral("plancher") : QStringLiteral("produit"),
                                    chemin, QString::number(fiches), propre.path()});
            double secondes = 0;
            size_t debut = 0;
            bool mesure = false;
            while (debut < s.texte.size()) {
                size_t fin = s.texte.find('\n', debut);
                if (fin == std::string::npos) fin = s.texte.size();
                const std::string ligne = s.texte.substr(debut, fin - debut);
                if (ligne.rfind("temps ", 0) == 0) {
                    secondes = std::atof(ligne.c_str() + 6);
                    mesure = true;
                } else if (ligne.rfind("note ", 0) == 0 && cote == 0 && essai == 0) {
                    notes.push_back(ligne.substr(5));
                }
                debut = fin + 1;
            }
            if (!s.ok || !mesure) {
                std::fprintf(stderr, "%s (%s) : le processus a échoué\n", p.nom,
                             cote ? "plancher" : "produit");
                continue;
            }
            meilleur[cote] = std::min(meilleur[cote], secondes);
        }
    }
    if (p.plancher)
        Ligne(p.nom, meilleur[0], meilleur[1]);
    else
        std::printf("%s %.4f\n", p.nom, meilleur[0]);
    for (const std::string& n : notes)
        std::printf("%s\n", n.c_str());
    std::fflush(stdout);
}

void MesureMemoireLivre(const QString& chemin, int fiches, double tailleFichier)
{
    const Sortie s = Lance({QStringLiteral("--memoire"), chemin});
    long apres = 0, pic = 0, lues = 0;
    if (std::sscanf(s.texte.c_str(), "%ld %ld %ld", &apres, &pic, &lues) != 3 || lues != fiches)
        std::fprintf(stderr, "mesure de la mémoire impossible\n");
    std::printf("memory %.1f %.1f %.2f\n", apres / 1e6, tailleFichier / 1e6, apres / tailleFichier);
    std::printf("memory_peak %.1f %.1f %.2f\n", pic / 1e6, tailleFichier / 1e6,
                pic / tailleFichier);
    std::fflush(stdout);
}

// From the exec of a fresh program to its first record painted, best of three.
void MesureDemarrage(const QString& chemin, int fiches, const QString& dossier)
{
    double meilleur = 1e9;
    for (int essai = 0; essai < 3; ++essai) {
        QTemporaryDir propre(dossier + QStringLiteral("/demarrage-XXXXXX"));
        QProcess p;
        p.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        QElapsedTimer t;
        t.start();
        p.start(QCoreApplication::applicationFilePath(),
                {QStringLiteral("--demarrage"), chemin, propre.path()});
        std::string sortie;
        while (sortie.find('\n') == std::string::npos && p.waitForReadyRead(60000))
            sortie += p.readAllStandardOutput().toStdString();
        const double secondes = Secondes(t);
        p.waitForFinished(-1);
        const std::string attendu = "/" + std::to_string(fiches) + " ";
        if (sortie.rfind("pret ", 0) != 0 || sortie.find(attendu) == std::string::npos) {
            std::fprintf(stderr, "start : première fiche non montrée (%s)\n", sortie.c_str());
            continue;
        }
        meilleur = std::min(meilleur, secondes);
    }
    std::printf("start %.4f\n", meilleur);
    std::fflush(stdout);
}

bool Choisie(const std::vector<std::string>& seulement, const std::string& nom)
{
    return seulement.empty() ||
           std::find(seulement.begin(), seulement.end(), nom) != seulement.end();
}

} // namespace

int main(int argc, char** argv)
{
    Silence();
    PrepareEnvironnement();
    const std::string mode = argc > 1 ? argv[1] : "";
    if (argc == 3 && mode == "--memoire") return MesureMemoire(argv[2]);
    if (argc == 4 && mode == "--demarrage") return Demarrage(argv[0], argv[2], argv[3]);
    if (argc == 7 && mode == "--enfant")
        return Enfant(argc, argv, argv[2], std::string(argv[3]) == "plancher",
                      QString::fromLocal8Bit(argv[4]), std::atoi(argv[5]),
                      QString::fromLocal8Bit(argv[6]));
    if (argc == 5 && mode == "--ancien")
        return Ancien(argc, argv, argv[2], QString::fromLocal8Bit(argv[3]),
                      QString::fromLocal8Bit(argv[4]));

    QCoreApplication app(argc, argv);
    int n = 100000;
    std::vector<std::string> seulement;
    for (int i = 1; i + 1 < argc; ++i) {
        if (std::string(argv[i]) == "--records") n = std::max(1, std::atoi(argv[i + 1]));
        if (std::string(argv[i]) == "--sync") qputenv("CARNET_BENCH_SYNC", argv[i + 1]);
        if (std::string(argv[i]) == "--seulement") {
            const QStringList noms = QString::fromLocal8Bit(argv[i + 1]).split(QLatin1Char(','));
            for (const QString& nom : noms)
                seulement.push_back(nom.toStdString());
        }
    }

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

    // Lines in their order: the paired measures by rank, the memory after "load-warm",
    // the start after the book's own measures, then the measures that print their
    // own lines.
    std::vector<BenchOutils::Paire> paires = BenchOutils::Paires();
    std::stable_sort(paires.begin(), paires.end(),
                     [](const auto& a, const auto& b) { return a.ordre < b.ordre; });
    bool memoire = false, demarrage = false;
    for (const BenchOutils::Paire& p : paires) {
        if (!memoire && p.ordre > 20) {
            memoire = true;
            if (Choisie(seulement, "memory")) MesureMemoireLivre(chemin, n, tailleFichier);
        }
        if (!demarrage && p.ordre > 60) {
            demarrage = true;
            if (Choisie(seulement, "start")) MesureDemarrage(chemin, n, dossier.path());
        }
        if (Choisie(seulement, p.nom)) MesurePaire(p, chemin, n, dossier.path());
    }
    for (const auto& [nom, mesure] : BenchOutils::Mesures()) {
        if (!Choisie(seulement, nom)) continue;
        QTemporaryDir propre(dossier.path() + QStringLiteral("/ancien-XXXXXX"));
        const Sortie s =
            Lance({QStringLiteral("--ancien"), QString::fromStdString(nom), chemin, propre.path()});
        std::fputs(s.texte.c_str(), stdout);
        std::fflush(stdout);
    }
    return 0;
}
