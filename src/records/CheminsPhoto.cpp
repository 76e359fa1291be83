#include "CheminsPhoto.h"

#include "records/CodePage.h"
#include "records/DonneesProgramme.h"
#include "records/ErreurSysteme.h"
#include "records/FichierSur.h"
#include "records/OuvertureSure.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace
{

QString U(const char* utf8)
{
    return QString::fromUtf8(utf8);
}

QString Guillemets(const QString& texte)
{
    return U("« ") + texte + U(" »");
}

// Copies through a temporary file beside the target, so that a failed copy leaves
// no half-written picture under the name a record would show.
QString Copie(const QString& source, const QString& cible)
{
    QFile entree;
    QString raison;
    if (!OuvertureSure::Ouvre(source, entree, &raison)) return raison;
    const QString temporaire = FichierSur::Temporaire(cible, &raison);
    if (temporaire.isEmpty()) return raison;
    QFile sortie(temporaire);
    if (!sortie.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        raison = ErreurSysteme::EnFrancais(sortie.errorString());
        FichierSur::Abandonne(temporaire);
        return raison;
    }
    QByteArray bloc;
    for (;;) {
        bloc = entree.read(1 << 20);
        if (bloc.isEmpty()) break;
        if (sortie.write(bloc) != bloc.size()) {
            raison = ErreurSysteme::EnFrancais(sortie.errorString());
            break;
        }
    }
    if (raison.isEmpty() && entree.error() != QFileDevice::NoError)
        raison = ErreurSysteme::EnFrancais(entree.errorString());
    if (raison.isEmpty() && !sortie.flush())
        raison = ErreurSysteme::EnFrancais(sortie.errorString());
    sortie.close();
    if (raison.isEmpty() && sortie.error() != QFileDevice::NoError)
        raison = ErreurSysteme::EnFrancais(sortie.errorString());
    if (!raison.isEmpty()) {
        FichierSur::Abandonne(temporaire);
        return raison;
    }
    return FichierSur::Remplace(temporaire, cible);
}

} // namespace

QString CheminsPhoto::PrepareDossier(const QString& dossierProgramme)
{
    const QString aCote = dossierProgramme + QStringLiteral("images");
    if (!DonneesProgramme::Installe(dossierProgramme) &&
        (QFileInfo(aCote).isDir() || QDir().mkpath(aCote)))
        return aCote;
    const QString perso = DonneesProgramme::DossierPerso() + QStringLiteral("/images");
    QDir().mkpath(perso);
    return perso;
}

CheminsPhoto::CheminsPhoto(const QString& dossierImages) : m_dossier(dossierImages)
{
    while (m_dossier.endsWith(QLatin1Char('/')) && m_dossier.size() > 1)
        m_dossier.chop(1);
}

bool CheminsPhoto::NomSur(std::string_view cellule)
{
    return NomSur(CodePage::VersUnicode(cellule));
}

bool CheminsPhoto::NomSur(const QString& nom)
{
    if (nom.isEmpty() || nom == QLatin1String(".") || nom == QLatin1String("..")) return false;
    for (const QChar c : nom)
        if (c == QLatin1Char('/') || c == QLatin1Char('\\') || c == QLatin1Char(':') ||
            c.unicode() < 0x20 || c.unicode() == 0x7F)
            return false;
    return true;
}

QString CheminsPhoto::Chemin(std::string_view cellule) const
{
    if (!NomSur(cellule)) return {};
    return m_dossier + QLatin1Char('/') + CodePage::VersUnicode(cellule);
}

CheminsPhoto::Resultat CheminsPhoto::Importe(const QString& source) const
{
    Resultat r;
    const QFileInfo info(source);
    const QString nom = info.fileName();
    if (!info.exists()) {
        r.erreur = U("Le fichier ") + Guillemets(source) + U(" n'existe pas.");
        return r;
    }
    std::string octets;
    if (!CodePage::VersWindows1252(nom, octets)) {
        r.erreur = U("Le nom du fichier ") + Guillemets(nom) +
                   U(" contient un caractère qu'un répertoire ne peut pas garder (") +
                   Guillemets(CodePage::PremierCaractereRefuse(nom)) +
                   U(").\nRenommez le fichier, puis chargez-le de nouveau.");
        return r;
    }
    if (!NomSur(nom)) {
        r.erreur = U("Le nom du fichier ") + Guillemets(nom) +
                   U(" ne peut pas servir de nom de photo.\nRenommez le fichier, puis "
                     "chargez-le de nouveau.");
        return r;
    }
    const QString cible = m_dossier + QLatin1Char('/') + nom;
    if (!QFileInfo::exists(cible)) {
        QDir().mkpath(m_dossier);
        const QString raison = Copie(source, cible);
        if (!raison.isEmpty()) {
            r.erreur = U("Impossible de copier la photo dans le dossier des images ") +
                       Guillemets(QDir::toNativeSeparators(m_dossier)) + U(".\n") + raison;
            return r;
        }
        r.copie = true;
    }
    r.nom = std::move(octets);
    return r;
}

CheminsPhoto::Resultat CheminsPhoto::Depose(std::string_view octets, const std::string& nom) const
{
    Resultat r;
    if (!NomSur(nom)) {
        r.erreur = U("Le nom ") + Guillemets(CodePage::VersUnicode(nom)) +
                   U(" ne peut pas servir de nom de photo.");
        return r;
    }
    const size_t point = nom.rfind('.');
    const std::string base = point == std::string::npos || point == 0 ? nom : nom.substr(0, point);
    const std::string extension =
        point == std::string::npos || point == 0 ? std::string() : nom.substr(point);
    QDir().mkpath(m_dossier);
    for (int essai = 1; essai <= 1000; ++essai) {
        const std::string candidat =
            essai == 1 ? nom : base + "-" + std::to_string(essai) + extension;
        const QString cible = m_dossier + QLatin1Char('/') + CodePage::VersUnicode(candidat);
        const QFileInfo info(cible);
        if (info.isSymLink() || info.exists()) {
            // The same picture already there (a book imported again) is used as it is.
            if (!info.isSymLink() && info.isFile() &&
                info.size() == static_cast<qint64>(octets.size())) {
                std::string deja;
                if (OuvertureSure::LitTout(cible, deja, info.size()).isEmpty() && deja == octets) {
                    r.nom = candidat;
                    return r;
                }
            }
            continue;
        }
        const QString raison = FichierSur::Ecrit(cible, octets.data(), octets.size());
        if (!raison.isEmpty()) {
            r.erreur = U("Impossible d'écrire la photo dans le dossier des images ") +
                       Guillemets(QDir::toNativeSeparators(m_dossier)) + U(".\n") + raison;
            return r;
        }
        r.nom = candidat;
        r.copie = true;
        return r;
    }
    r.erreur = U("Le dossier des images contient déjà trop de photos nommées ") +
               Guillemets(CodePage::VersUnicode(nom)) + U(".");
    return r;
}
