#include "ExportationVCard.h"

#include "records/CheminsPhoto.h"
#include "records/CodePage.h"
#include "records/FichierSur.h"
#include "records/OuvertureSure.h"
#include "records/Repertoire.h"
#include "records/TexteTaille.h"
#include "vcard/EcrivainVCard.h"

#include <QDir>
#include <QFileInfo>
#include <QLocale>

namespace
{

QString Nombre(int n)
{
    return QLocale(QLocale::French, QLocale::France).toString(n);
}

void Exemple(ExportationVCard::Bilan& bilan, std::string_view nom)
{
    if (bilan.exemples.size() < 5) bilan.exemples << CodePage::VersUnicode(nom);
}

} // namespace

bool ExportationVCard::Produit(const Repertoire& rep, TypeFichier type, bool choisies,
                               const QString& dossierImages, Bilan& bilan,
                               const std::function<bool(const char*, size_t)>& ecrit)
{
    constexpr size_t Bloc = size_t(1) << 20;
    const VersionVCard version =
        type == TypeFichier::VCard4 ? VersionVCard::V40 : VersionVCard::V30;
    const CheminsPhoto photos(dossierImages);
    std::string tampon;
    tampon.reserve(Bloc + Bloc / 2);
    std::string image;
    EcrivainVCard::Champs champs;
    for (int ligne = 1; ligne < rep.NbLignes(); ++ligne) {
        if (choisies && !rep.EstChoisie(ligne)) continue;
        const Repertoire::VueLigne vue = rep.Vue(ligne);
        for (int c = 0; c < NbColonnes; ++c)
            champs[static_cast<size_t>(c)] = vue.Cellule(c);
        bool avecImage = false;
        const std::string_view nom = champs[Photo];
        if (!nom.empty()) {
            const QString chemin = dossierImages.isEmpty() ? QString() : photos.Chemin(nom);
            if (!chemin.isEmpty() && OuvertureSure::LitTout(chemin, image, MaxImage).isEmpty()) {
                avecImage = true;
                ++bilan.photos;
            } else if (!chemin.isEmpty() && OuvertureSure::EstOrdinaire(chemin) &&
                       QFileInfo(chemin).size() > MaxImage) {
                ++bilan.photosTropGrandes;
                Exemple(bilan, nom);
            } else {
                ++bilan.photosAbsentes;
                Exemple(bilan, nom);
            }
        }
        EcrivainVCard::AjouteCarte(tampon, champs, version, avecImage ? &image : nullptr);
        ++bilan.fiches;
        if (tampon.size() >= Bloc) {
            if (!ecrit(tampon.data(), tampon.size())) return false;
            tampon.clear();
        }
    }
    return ecrit(tampon.data(), tampon.size());
}

std::string ExportationVCard::Octets(const Repertoire& rep, TypeFichier type, bool choisies,
                                     const QString& dossierImages, Bilan* bilan)
{
    std::string sortie;
    Bilan b;
    Produit(rep, type, choisies, dossierImages, b, [&sortie](const char* p, size_t n) {
        sortie.append(p, n);
        return true;
    });
    if (bilan) *bilan = b;
    return sortie;
}

QString ExportationVCard::Exporte(const QString& chemin, const Repertoire& rep, TypeFichier type,
                                  bool choisies, const QString& dossierImages, Bilan* bilan)
{
    Bilan b;
    EcritureSure ecriture(chemin);
    Produit(rep, type, choisies, dossierImages, b,
            [&ecriture](const char* p, size_t n) { return ecriture.Ecrit(p, n); });
    const QString raison = ecriture.Termine();
    if (bilan) *bilan = b;
    if (raison.isEmpty()) return {};
    return QString::fromUtf8("Impossible d'exporter le carnet d'adresses dans « %1 » :\n%2")
        .arg(chemin, raison);
}

QString ExportationVCard::Compte(const Bilan& b)
{
    QStringList phrases;
    if (b.photosAbsentes == 1)
        phrases << QString::fromUtf8("1 photo n'est pas dans le dossier des images : sa fiche a "
                                     "été exportée sans elle.");
    else if (b.photosAbsentes > 1)
        phrases << QString::fromUtf8("%1 photos ne sont pas dans le dossier des images : leurs "
                                     "fiches ont été exportées sans elles.")
                       .arg(Nombre(b.photosAbsentes));
    if (b.photosTropGrandes == 1)
        phrases << QString::fromUtf8("1 photo dépasse %1 : sa fiche a été exportée sans elle.")
                       .arg(TexteTaille::Mo(MaxImage));
    else if (b.photosTropGrandes > 1)
        phrases << QString::fromUtf8("%1 photos dépassent %2 : leurs fiches ont été exportées "
                                     "sans elles.")
                       .arg(Nombre(b.photosTropGrandes), TexteTaille::Mo(MaxImage));
    if (phrases.isEmpty()) return {};
    const bool plus = b.photosAbsentes + b.photosTropGrandes > b.exemples.size();
    phrases.prepend(QString::fromUtf8("%1 fiche%2 exportée%2.")
                        .arg(Nombre(b.fiches), b.fiches > 1 ? QStringLiteral("s") : QString()));
    phrases << QString::fromUtf8("Photos laissées de côté : %1%2")
                   .arg(b.exemples.join(QStringLiteral(", ")),
                        plus ? QString::fromUtf8(", …") : QStringLiteral("."));
    return phrases.join(QLatin1Char('\n'));
}
