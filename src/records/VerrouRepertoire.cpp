#include "VerrouRepertoire.h"

#include "FichierSur.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QList>
#include <QMap>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace
{

constexpr char Prefixe[] = ".~carnet.";
constexpr char Suffixe[] = ".lock";
constexpr qsizetype TailleMaxContenu = 4096;

// The locks this process holds, by lock file. Another window of the same process
// must see them as held, and must never open their files: closing any descriptor
// of a file releases every fcntl lock the process has on it.
QMap<QByteArray, VerrouRepertoire::Detenteur>& DetenusIci()
{
    static QMap<QByteArray, VerrouRepertoire::Detenteur> detenus;
    return detenus;
}

QString Hote()
{
    char hote[256] = {};
    if (gethostname(hote, sizeof hote - 1) != 0 || !hote[0]) return QStringLiteral("local");
    return QString::fromLocal8Bit(hote);
}

QString SurUneLigne(QString texte)
{
    texte.replace(QLatin1Char('\n'), QLatin1Char(' ')).replace(QLatin1Char('\r'), QLatin1Char(' '));
    return texte.trimmed();
}

bool MemeFichier(const struct stat& a, const struct stat& b)
{
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

} // namespace

struct VerrouRepertoire::Examen {
    Detenteur detenteur;
    bool vivant = false;    // an fcntl lock is held on it
    bool abandonne = false; // its copy of the program has ended
    bool autreOrdinateur = false;
};

VerrouRepertoire::~VerrouRepertoire()
{
    Libere();
}

VerrouRepertoire::VerrouRepertoire(VerrouRepertoire&& autre) noexcept
    : m_fd(autre.m_fd), m_verrouSysteme(autre.m_verrouSysteme), m_livre(std::move(autre.m_livre)),
      m_chemin(std::move(autre.m_chemin))
{
    autre.m_fd = -1;
    autre.m_livre.clear();
    autre.m_chemin.clear();
}

VerrouRepertoire& VerrouRepertoire::operator=(VerrouRepertoire&& autre) noexcept
{
    if (this != &autre) {
        Libere();
        m_fd = autre.m_fd;
        m_verrouSysteme = autre.m_verrouSysteme;
        m_livre = std::move(autre.m_livre);
        m_chemin = std::move(autre.m_chemin);
        autre.m_fd = -1;
        autre.m_livre.clear();
        autre.m_chemin.clear();
    }
    return *this;
}

QString VerrouRepertoire::CheminVerrou(const QString& livre)
{
    const QFileInfo info(livre);
    const QString reel = info.exists() ? info.canonicalFilePath() : QString();
    const QFileInfo fichier(reel.isEmpty() ? info.absoluteFilePath() : reel);
    QString dossier = QFileInfo(fichier.absolutePath()).canonicalFilePath();
    if (dossier.isEmpty()) dossier = fichier.absolutePath();
    return QDir(dossier).filePath(QLatin1String(Prefixe) + fichier.fileName() +
                                  QLatin1String(Suffixe));
}

VerrouRepertoire::Detenteur VerrouRepertoire::Moi()
{
    Detenteur d;
    d.connu = true;
    if (const passwd* compte = getpwuid(geteuid())) {
        d.utilisateur = QString::fromLocal8Bit(compte->pw_name);
        if (compte->pw_gecos)
            d.nomComplet = QString::fromLocal8Bit(compte->pw_gecos).section(QLatin1Char(','), 0, 0);
    }
    if (d.utilisateur.isEmpty()) d.utilisateur = qEnvironmentVariable("USER");
    if (d.utilisateur.isEmpty()) d.utilisateur = QString::number(geteuid());
    if (d.nomComplet == d.utilisateur) d.nomComplet.clear();
    d.hote = Hote();
    d.pid = getpid();
    d.depuis = QDateTime::currentDateTimeUtc();
    return d;
}

QByteArray VerrouRepertoire::Contenu(const Detenteur& d)
{
    QString texte = QStringLiteral("Carnet d'adresses\n");
    texte += QStringLiteral("utilisateur=") + SurUneLigne(d.utilisateur) + QLatin1Char('\n');
    texte += QStringLiteral("nom=") + SurUneLigne(d.nomComplet) + QLatin1Char('\n');
    texte += QStringLiteral("hote=") + SurUneLigne(d.hote) + QLatin1Char('\n');
    texte += QStringLiteral("pid=") + QString::number(d.pid) + QLatin1Char('\n');
    texte += QStringLiteral("depuis=") + d.depuis.toUTC().toString(Qt::ISODate) + QLatin1Char('\n');
    return texte.toUtf8();
}

VerrouRepertoire::Detenteur VerrouRepertoire::Analyse(const QByteArray& contenu)
{
    Detenteur d;
    if (contenu.size() > TailleMaxContenu) return d;
    const QStringList lignes = QString::fromUtf8(contenu).split(QLatin1Char('\n'));
    for (const QString& ligne : lignes) {
        const qsizetype egal = ligne.indexOf(QLatin1Char('='));
        if (egal <= 0) continue;
        const QString cle = ligne.left(egal).trimmed();
        const QString valeur = ligne.mid(egal + 1).trimmed();
        if (cle == QLatin1String("utilisateur"))
            d.utilisateur = valeur;
        else if (cle == QLatin1String("nom"))
            d.nomComplet = valeur;
        else if (cle == QLatin1String("hote"))
            d.hote = valeur;
        else if (cle == QLatin1String("pid"))
            d.pid = valeur.toLongLong();
        else if (cle == QLatin1String("depuis"))
            d.depuis = QDateTime::fromString(valeur, Qt::ISODate).toUTC();
    }
    d.connu = !d.utilisateur.isEmpty() && !d.hote.isEmpty() && d.pid > 0 && d.depuis.isValid();
    return d;
}

QString VerrouRepertoire::Age(const QDateTime& depuis, const QDateTime& maintenant)
{
    const qint64 secondes = depuis.secsTo(maintenant);
    if (!depuis.isValid() || secondes < 0) return {};
    const auto texte = [](qint64 n, const char* un, const char* plusieurs) {
        return n == 1 ? QString::fromUtf8("il y a 1 %1").arg(QString::fromUtf8(un))
                      : QString::fromUtf8("il y a %1 %2").arg(n).arg(QString::fromUtf8(plusieurs));
    };
    if (secondes < 60) return QString::fromUtf8("il y a moins d'une minute");
    if (secondes < 3600) return texte(secondes / 60, "minute", "minutes");
    if (secondes < 86400) return texte(secondes / 3600, "heure", "heures");
    return texte(secondes / 86400, "jour", "jours");
}

QString VerrouRepertoire::Description(const Detenteur& d, const QDateTime& maintenant, bool avecAge)
{
    QString texte;
    if (!d.connu) {
        texte = QString::fromUtf8("une autre copie du programme (le fichier de verrou ne dit "
                                  "pas laquelle)");
    } else {
        texte = d.utilisateur;
        if (!d.nomComplet.isEmpty()) texte += QStringLiteral(" (%1)").arg(d.nomComplet);
        texte += QString::fromUtf8(", sur l'ordinateur « %1 »").arg(d.hote);
    }
    if (d.depuis.isValid()) {
        const QDateTime local = d.depuis.toLocalTime();
        texte += QString::fromUtf8(", depuis le %1 à %2")
                     .arg(local.toString(QStringLiteral("dd/MM/yyyy")),
                          local.toString(QStringLiteral("HH:mm")));
        const QString age = avecAge ? Age(d.depuis, maintenant) : QString();
        if (!age.isEmpty()) texte += QStringLiteral(" (%1)").arg(age);
    }
    return texte;
}

// Who holds the lock file at `chemin`, and whether that copy still lives.
VerrouRepertoire::Examen VerrouRepertoire::Examine(const QByteArray& chemin)
{
    Examen e;
    const auto ici = DetenusIci().constFind(chemin);
    if (ici != DetenusIci().constEnd()) {
        e.detenteur = ici.value();
        e.vivant = true;
        return e;
    }
    struct stat etat;
    if (lstat(chemin.constData(), &etat) == 0)
        e.detenteur.depuis = QDateTime::fromSecsSinceEpoch(etat.st_mtim.tv_sec, Qt::UTC);
    const int fd = open(chemin.constData(), O_RDONLY | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0 || fstat(fd, &etat) != 0 || !S_ISREG(etat.st_mode)) {
        // Unreadable or not a file: nothing tells it was left; it is told as held.
        if (fd >= 0) close(fd);
        return e;
    }
    QByteArray contenu(TailleMaxContenu + 1, '\0');
    qsizetype lu = 0;
    while (lu < contenu.size()) {
        const ssize_t n = read(fd, contenu.data() + lu, static_cast<size_t>(contenu.size() - lu));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        lu += n;
    }
    contenu.truncate(lu);
    struct flock verrou {
    };
    verrou.l_type = F_WRLCK;
    verrou.l_whence = SEEK_SET;
    const bool fcntlRepond = fcntl(fd, F_GETLK, &verrou) == 0;
    close(fd);
    const QDateTime date = e.detenteur.depuis;
    e.detenteur = Analyse(contenu);
    if (!e.detenteur.depuis.isValid()) e.detenteur.depuis = date;
    e.vivant = fcntlRepond && verrou.l_type != F_UNLCK;
    if (e.vivant) return e;
    const bool libre = fcntlRepond; // nobody holds its fcntl lock
    if (!e.detenteur.connu) {
        // A live copy writes a readable file and locks it.
        e.abandonne = libre;
        return e;
    }
    e.autreOrdinateur = e.detenteur.hote != Hote();
    if (e.autreOrdinateur) return e;
    const bool processusFini =
        e.detenteur.pid > 0 && kill(static_cast<pid_t>(e.detenteur.pid), 0) != 0 && errno == ESRCH;
    e.abandonne = libre || processusFini;
    return e;
}

void VerrouRepertoire::Adopte(int fd, bool verrouSysteme, const QString& livre,
                              const QByteArray& chemin)
{
    m_fd = fd;
    m_verrouSysteme = verrouSysteme;
    m_livre = livre;
    m_chemin = chemin;
}

VerrouRepertoire::Resultat VerrouRepertoire::Prend(const QString& livre)
{
    Resultat r;
    const QByteArray chemin = QFile::encodeName(CheminVerrou(livre));
    if (Detenu() && chemin == m_chemin) {
        m_livre = livre;
        r.issue = Issue::Pris;
        return r;
    }
    Libere();
    const Detenteur moi = Moi();
    const QByteArray contenu = Contenu(moi);
    const QString nom = QFile::decodeName(chemin);
    for (int essai = 0; essai < 3; ++essai) {
        int erreur = 0;
        bool systeme = false;
        int fd = FichierSur::EcritVerrou(nom, contenu, false, &erreur, &systeme);
        if (fd < 0 && erreur == EEXIST) {
            const Examen e = Examine(chemin);
            if (!e.abandonne) {
                r.issue = Issue::Occupe;
                r.detenteur = e.detenteur;
                r.autreOrdinateur = e.autreOrdinateur;
                return r;
            }
            fd = FichierSur::EcritVerrou(nom, contenu, true, &erreur, &systeme);
            if (fd >= 0) {
                // Another copy may have taken it over at the same moment: the last
                // file put in place wins, and the others look again.
                struct stat enPlace, notre;
                if (stat(chemin.constData(), &enPlace) != 0 || fstat(fd, &notre) != 0 ||
                    !MemeFichier(enPlace, notre)) {
                    close(fd);
                    continue;
                }
                r.repris = true;
            }
        }
        if (fd < 0) {
            r.issue = Issue::Impossible;
            r.erreur = erreur;
            return r;
        }
        Adopte(fd, systeme, livre, chemin);
        DetenusIci().insert(chemin, moi);
        r.issue = Issue::Pris;
        return r;
    }
    const Examen e = Examine(chemin);
    r.issue = Issue::Occupe;
    r.detenteur = e.detenteur;
    r.autreOrdinateur = e.autreOrdinateur;
    return r;
}

bool VerrouRepertoire::Intact() const
{
    if (m_fd < 0) return false;
    struct stat enPlace, notre;
    return lstat(m_chemin.constData(), &enPlace) == 0 && fstat(m_fd, &notre) == 0 &&
           MemeFichier(enPlace, notre);
}

void VerrouRepertoire::Libere()
{
    if (m_fd < 0) return;
    // Removed before the fcntl lock goes, so that nobody finds it unlocked and takes
    // it over just before it disappears.
    if (Intact()) unlink(m_chemin.constData());
    close(m_fd);
    DetenusIci().remove(m_chemin);
    m_fd = -1;
    m_livre.clear();
    m_chemin.clear();
}
