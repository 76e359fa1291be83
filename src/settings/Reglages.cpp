#include "Reglages.h"

#include "records/ErreurSysteme.h"
#include "records/TexteTaille.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <algorithm>

namespace
{

// The whole store's form is this one line: on Windows, QSettings::NativeFormat with
// the path "HKEY_CURRENT_USER\\Software\\" + NomReglages(...) would put it in the registry.
constexpr QSettings::Format FormatReglages = QSettings::IniFormat;

// Section and key names are program constants; "/" and "\" would make nested groups.
bool NomSimple(const QString& nom)
{
    return !nom.isEmpty() && !nom.contains(QLatin1Char('/')) && !nom.contains(QLatin1Char('\\'));
}

QString Cle(const QString& section, const QString& cle)
{
    Q_ASSERT(NomSimple(section) && NomSimple(cle));
    return section + QLatin1Char('/') + cle;
}

QString Guillemets(const QString& texte)
{
    return QString::fromUtf8("« %1 »").arg(QDir::toNativeSeparators(texte));
}

} // namespace

Reglages::Reglages(const QString& chemin) : m_chemin(chemin)
{
    // Only a regular file of a sensible size is read: a named pipe would hold the
    // start for good, a device or a huge file would fill the memory.
    const QFileInfo fichier(chemin);
    if (fichier.exists() && !fichier.isDir()) {
        if (!fichier.isFile())
            m_refus = QString::fromUtf8("ce n'est pas un fichier ordinaire");
        else if (fichier.size() > TailleMax)
            m_refus = QString::fromUtf8("le fichier fait %1, plus que les %2 admis")
                          .arg(TexteTaille::Mo(fichier.size(), TailleMax),
                               TexteTaille::Mo(TailleMax, fichier.size()));
    }
    if (m_refus.isEmpty()) {
        m_settings = std::make_unique<QSettings>(chemin, FormatReglages);
        return;
    }
    m_vide = std::make_unique<QTemporaryDir>();
    m_settings =
        std::make_unique<QSettings>(m_vide->filePath(QStringLiteral("vide.ini")), FormatReglages);
}

Reglages::~Reglages() = default;

QString Reglages::NomReglages(const QString& cheminProgramme)
{
    auto dernierSeparateur = [](const QString& s) {
        return std::max({s.lastIndexOf(QLatin1Char('\\')), s.lastIndexOf(QLatin1Char('/')),
                         s.lastIndexOf(QLatin1Char(':'))});
    };
    QString nom = cheminProgramme;
    const int point = nom.lastIndexOf(QLatin1Char('.'));
    if (point > dernierSeparateur(nom)) nom.truncate(point);
    nom += QLatin1String(".ini");
    nom.remove(0, dernierSeparateur(nom) + 1);
    // A program path without a name (unknown on this system) must still give a usable file.
    if (nom == QLatin1String(".ini")) nom = QStringLiteral("carnet.ini");
    return nom;
}

QString Reglages::CheminParDefaut(const QString& cheminProgramme)
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QLatin1Char('/') + NomReglages(cheminProgramme);
}

QString Reglages::ReadString(const QString& section, const QString& cle,
                             const QString& defaut) const
{
    const QVariant v = m_settings->value(Cle(section, cle));
    // Only text is ours: a hand-edited "a, b" reads as a list, "@Rect(...)" as a rectangle.
    if (v.metaType().id() != QMetaType::QString) return defaut;
    return v.toString();
}

int Reglages::ReadInteger(const QString& section, const QString& cle, int defaut) const
{
    const QVariant v = m_settings->value(Cle(section, cle));
    if (v.metaType().id() != QMetaType::QString) return defaut;
    bool ok = false;
    const int n = v.toString().trimmed().toInt(&ok, 10);
    return ok ? n : defaut;
}

bool Reglages::ReadBool(const QString& section, const QString& cle, bool defaut) const
{
    return ReadInteger(section, cle, defaut ? 1 : 0) != 0;
}

void Reglages::WriteString(const QString& section, const QString& cle, const QString& valeur)
{
    m_settings->setValue(Cle(section, cle), valeur);
    m_ecrites.insert(Cle(section, cle));
}

void Reglages::WriteInteger(const QString& section, const QString& cle, int valeur)
{
    WriteString(section, cle, QString::number(valeur));
}

void Reglages::WriteBool(const QString& section, const QString& cle, bool valeur)
{
    WriteString(section, cle, valeur ? QStringLiteral("1") : QStringLiteral("0"));
}

void Reglages::ClearSection(const QString& section)
{
    Q_ASSERT(NomSimple(section));
    // remove() takes the group and everything below it, and nothing of "Options de copie"
    // when the section is "Options".
    m_settings->remove(section);
}

bool Reglages::Enregistre(QString* raison)
{
    if (!m_refus.isEmpty()) {
        if (raison)
            *raison = QString::fromUtf8("Impossible d'enregistrer les réglages dans %1 : %2.")
                          .arg(Guillemets(Chemin()), m_refus);
        return false;
    }
    m_settings->sync();
    bool reussi = m_settings->status() == QSettings::NoError;
    // QSettings keeps its first error: a damaged file read before the write hides whether
    // the write itself went through. The file on disk tells.
    if (m_settings->status() == QSettings::FormatError) reussi = DisqueConforme();
    if (!reussi && raison)
        *raison = QString::fromUtf8("Impossible d'enregistrer les réglages dans %1 : %2.")
                      .arg(Guillemets(Chemin()), RaisonEchec());
    return reussi;
}

QString Reglages::Chemin() const
{
    return m_chemin;
}

bool Reglages::DisqueConforme() const
{
    // A copy under a new name is parsed afresh: QSettings caches files by name in-process.
    QTemporaryDir dossier;
    const QString copie = dossier.filePath(QStringLiteral("relu.ini"));
    if (!dossier.isValid() || !QFile::copy(Chemin(), copie)) return false;
    QSettings relu(copie, FormatReglages);
    // Only what this run wrote tells whether the write went through: keys made of a
    // damaged file's garbage need not read back the same.
    return std::all_of(m_ecrites.cbegin(), m_ecrites.cend(), [&](const QString& k) {
        return !m_settings->contains(k) || relu.value(k) == m_settings->value(k);
    });
}

QString Reglages::RaisonEchec() const
{
    const QFileInfo fichier(Chemin());
    if (fichier.isDir()) return QString::fromUtf8("c'est un dossier");
    const QString dossier = fichier.absolutePath();
    if (!QFileInfo(dossier).isDir() && !QDir().mkpath(dossier)) {
        // Find what stands in the way: the nearest existing part of the path.
        QString existant = dossier;
        while (!QFileInfo::exists(existant) && QFileInfo(existant).absolutePath() != existant)
            existant = QFileInfo(existant).absolutePath();
        if (!QFileInfo(existant).isDir())
            return QString::fromUtf8("%1 n'est pas un dossier").arg(Guillemets(existant));
        return QString::fromUtf8("le dossier %1 ne peut pas être créé").arg(Guillemets(dossier));
    }
    if (fichier.exists()) {
        QFile f(Chemin());
        if (!f.open(QIODevice::ReadWrite)) return ErreurSysteme::EnFrancais(f.errorString());
    }
    // The file is replaced through a new file in the same folder.
    QSaveFile essai(Chemin());
    if (!essai.open(QIODevice::WriteOnly)) return ErreurSysteme::EnFrancais(essai.errorString());
    essai.cancelWriting();
    return QString::fromUtf8("erreur d'écriture du fichier");
}
