#include "LectureVCard.h"

#include "TableImport.h"
#include "records/CheminsPhoto.h"
#include "records/CodePage.h"
#include "records/FichierRep.h"
#include "records/OuvertureSure.h"
#include "records/TexteTaille.h"
#include "vcard/ClassementVCard.h"
#include "vcard/CodageVCard.h"
#include "vcard/CorrespondanceVCard.h"
#include "vcard/LecteurVCard.h"
#include "vcard/PhotoVCard.h"

#include <QFileInfo>
#include <QLocale>
#include <cstring>
#include <unordered_map>

namespace
{

QString Echec(const QString& chemin, const QString& raison)
{
    return QString::fromUtf8("Impossible d'importer le fichier « %1 » :\n%2").arg(chemin, raison);
}

QString Nombre(long long n)
{
    return QLocale(QLocale::French, QLocale::France).toString(n);
}

// "1 carte" / "3 cartes".
QString Pluriel(long long n, const char* singulier, const char* pluriel)
{
    return n == 1 ? QString::fromUtf8(singulier) : QString::fromUtf8(pluriel).arg(Nombre(n));
}

} // namespace

QString LectureVCard::Lit(const QString& chemin, TableImport& table, AssociationChamps& association,
                          Encodage::Bilan* bilan, const LectureImport::Limites& limites)
{
    std::string octets;
    QString raison = LectureImport::LitFichier(chemin, octets, limites);
    if (!raison.isEmpty()) return Echec(chemin, raison);
    raison = DepuisOctets(std::move(octets), table, association, bilan, limites.lignes);
    return raison.isEmpty() ? QString() : Echec(chemin, raison);
}

QString LectureVCard::DepuisOctets(std::string octets, TableImport& table,
                                   AssociationChamps& association, Encodage::Bilan* bilan,
                                   int64_t maxFiches)
{
    m_octets = std::move(octets);
    m_images.clear();
    m_colonnePhoto = -1;
    m_sansColonne = 0;

    // The records as they are read, their columns numbered as first met: the 46
    // fields' own, then the others; the table is laid out in its final order once
    // every card is read.
    std::string corps;
    corps.reserve(m_octets.size() / 2);
    std::vector<uint32_t> debuts{0};
    std::array<bool, NbColonnes> employe{};
    std::unordered_map<std::string, int> colonnesAutres;
    std::vector<std::string> titresAutres;
    std::vector<std::string_view> cellules(NbColonnes);
    ClassementVCard classement;
    FicheVCard fiche;
    CodageVCard::Bilan codage;
    QString erreur;
    const auto Cellule = [&](size_t colonne, std::string_view valeur) {
        if (valeur.size() > TableImport::MaxCellule && erreur.isEmpty())
            erreur = QString::fromUtf8("la fiche n° %1 contient une valeur de plus de %2 : ce "
                                       "n'est pas un fichier d'adresses.")
                         .arg(Nombre(static_cast<long long>(debuts.size())),
                              TexteTaille::Mo(TableImport::MaxCellule));
        cellules[colonne] = valeur;
    };
    LecteurVCard::Limites limites;
    limites.cartes = maxFiches;
    const LecteurVCard::Resultat resultat =
        LecteurVCard::Parcourt(m_octets, limites, [&](const CarteVCard& carte) {
            classement.Classe(carte, fiche, codage);
            std::fill(cellules.begin(), cellules.end(), std::string_view());
            for (int c = 0; c < NbColonnes; ++c) {
                const std::string& v = fiche.champs[static_cast<size_t>(c)];
                if (v.empty()) continue;
                employe[static_cast<size_t>(c)] = true;
                Cellule(static_cast<size_t>(c), v);
            }
            for (size_t k = 0; k < fiche.nbAutres; ++k) {
                const FicheVCard::Autre& autre = fiche.autres[k];
                if (autre.valeur.empty()) continue;
                // A second value of the same title in a card gets a column of its own.
                std::string titre = autre.titre;
                for (int rang = 2;; ++rang) {
                    const auto trouve = colonnesAutres.find(titre);
                    if (trouve == colonnesAutres.end()) {
                        if (NbColonnes + titresAutres.size() >= size_t(TableImport::MaxColonnes)) {
                            ++m_sansColonne;
                            break;
                        }
                        const int colonne = NbColonnes + static_cast<int>(titresAutres.size());
                        colonnesAutres.emplace(titre, colonne);
                        titresAutres.push_back(titre);
                        cellules.emplace_back();
                        Cellule(static_cast<size_t>(colonne), autre.valeur);
                        break;
                    }
                    if (cellules[static_cast<size_t>(trouve->second)].empty()) {
                        Cellule(static_cast<size_t>(trouve->second), autre.valeur);
                        break;
                    }
                    titre = autre.titre + " (" + std::to_string(rang) + "e)";
                }
            }
            if (!fiche.imageBase64.empty())
                m_images.push_back(
                    {static_cast<int>(debuts.size()), {fiche.imageBase64, fiche.imageType}});
            // The line: its cells separated by NUL bytes, the empty ones at the end left out.
            size_t fin = cellules.size();
            while (fin > 0 && cellules[fin - 1].empty())
                --fin;
            for (size_t c = 0; c < fin; ++c) {
                if (c > 0) corps.push_back('\0');
                corps.append(cellules[c]);
            }
            if (corps.size() > TableImport::MaxOctets && erreur.isEmpty())
                erreur = QString::fromUtf8("une fois lu, le fichier dépasse %1 : il est trop grand "
                                           "pour être importé.")
                             .arg(TexteTaille::Mo(static_cast<int64_t>(TableImport::MaxOctets)));
            debuts.push_back(static_cast<uint32_t>(corps.size()));
            return erreur.isEmpty();
        });
    if (!resultat.erreur.isEmpty()) return resultat.erreur;
    if (!erreur.isEmpty()) return erreur;
    m_sansFin = resultat.sansFin;
    m_imbriquees = resultat.imbriquees;

    // The final order: the fields' columns that some card fills, in field order,
    // then the others.
    std::vector<int> ordre;
    for (int c = 0; c < NbColonnes; ++c)
        if (employe[static_cast<size_t>(c)]) ordre.push_back(c);
    for (size_t k = 0; k < titresAutres.size(); ++k)
        ordre.push_back(NbColonnes + static_cast<int>(k));
    if (ordre.empty()) ordre.push_back(Nom);
    std::vector<int> place(static_cast<size_t>(NbColonnes) + titresAutres.size(), -1);
    for (size_t i = 0; i < ordre.size(); ++i)
        place[static_cast<size_t>(ordre[i])] = static_cast<int>(i);

    std::string disposees;
    disposees.reserve(corps.size() + 64 * ordre.size());
    std::vector<uint32_t> lignes{0};
    lignes.reserve(debuts.size() + 1);
    for (size_t i = 0; i < ordre.size(); ++i) {
        if (i > 0) disposees.push_back('\0');
        const int c = ordre[i];
        disposees +=
            c < NbColonnes
                ? CodePage::Octets(QString::fromUtf8(CorrespondanceVCard::Emplacement(c).titre))
                : titresAutres[static_cast<size_t>(c - NbColonnes)];
    }
    lignes.push_back(static_cast<uint32_t>(disposees.size()));
    std::vector<std::string_view> ligne(place.size());
    for (size_t l = 0; l + 1 < debuts.size(); ++l) {
        const std::string_view brut(corps.data() + debuts[l], debuts[l + 1] - debuts[l]);
        std::fill(ligne.begin(), ligne.end(), std::string_view());
        size_t c = 0, debut = 0;
        for (;;) {
            const size_t nul = brut.find('\0', debut);
            ligne[c++] = brut.substr(debut, nul == std::string_view::npos ? nul : nul - debut);
            if (nul == std::string_view::npos) break;
            debut = nul + 1;
        }
        size_t fin = ordre.size();
        while (fin > 0 && ligne[static_cast<size_t>(ordre[fin - 1])].empty())
            --fin;
        for (size_t i = 0; i < fin; ++i) {
            if (i > 0) disposees.push_back('\0');
            disposees.append(ligne[static_cast<size_t>(ordre[i])]);
        }
        if (disposees.size() > TableImport::MaxOctets)
            return QString::fromUtf8("une fois lu, le fichier dépasse %1 : il est trop grand pour "
                                     "être importé.")
                .arg(TexteTaille::Mo(static_cast<int64_t>(TableImport::MaxOctets)));
        lignes.push_back(static_cast<uint32_t>(disposees.size()));
    }
    corps.clear();
    corps.shrink_to_fit();
    TableImport nouvelle;
    erreur = nouvelle.Assemble(std::move(disposees), std::move(lignes),
                               static_cast<int>(ordre.size()), true);
    if (!erreur.isEmpty()) return erreur;
    table = std::move(nouvelle);
    association.Efface();
    for (int c = 0; c < NbColonnes; ++c)
        if (employe[static_cast<size_t>(c)]) association.Associe(c, place[static_cast<size_t>(c)]);
    m_colonnePhoto = employe[Photo] ? place[Photo] : -1;
    if (bilan) {
        *bilan = Encodage::Bilan();
        bilan->source =
            std::strcmp(resultat.encodage, "UTF-16") == 0 ? Encodage::Utf16LE : Encodage::Utf8;
        bilan->remplaces = codage.remplaces;
        bilan->nuls = codage.nuls;
        bilan->inconnus = codage.inconnus;
        bilan->autres = codage.autres;
    }
    return {};
}

std::vector<std::pair<int, std::string>>
LectureVCard::EcritPhotos(const CheminsPhoto& photos, const TableImport& table,
                          const AssociationChamps& association, BilanPhotos& bilan) const
{
    std::vector<std::pair<int, std::string>> noms;
    if (m_colonnePhoto < 0 || association.Colonne(Photo) != m_colonnePhoto) return noms;
    std::string image;
    for (const auto& [ligne, donnees] : m_images) {
        const auto& [base64, type] = donnees;
        const std::string propose(table.Cellule(m_colonnePhoto, ligne));
        if (base64.size() / 4 * 3 > MaxImage + 3) {
            ++bilan.tropGrandes;
            noms.emplace_back(ligne, std::string());
            continue;
        }
        if (!CodageVCard::DecodeBase64(base64, image) || image.empty() || image.size() > MaxImage) {
            if (image.size() > MaxImage)
                ++bilan.tropGrandes;
            else
                ++bilan.illisibles;
            noms.emplace_back(ligne, std::string());
            continue;
        }
        // The name proposed keeps its base; the extension follows the picture's bytes.
        const PhotoVCard::Format format = PhotoVCard::Detecte(image, type);
        std::string nom = propose;
        const size_t point = nom.rfind('.');
        if (point == std::string::npos || point == 0) nom += std::string(".") + format.extension;
        const CheminsPhoto::Resultat r = photos.Depose(image, nom);
        if (!r.erreur.isEmpty()) {
            ++bilan.echecs;
            if (bilan.erreur.isEmpty()) bilan.erreur = r.erreur;
            noms.emplace_back(ligne, std::string());
            continue;
        }
        if (r.copie)
            ++bilan.ecrites;
        else
            ++bilan.reprises;
        if (r.nom != propose) noms.emplace_back(ligne, r.nom);
    }
    return noms;
}

QString LectureVCard::Compte(const BilanPhotos& p) const
{
    QStringList phrases;
    if (m_sansFin > 0)
        phrases << Pluriel(m_sansFin,
                           "La dernière carte du fichier n'a pas de fin (END:VCARD) : elle a été "
                           "importée telle quelle.",
                           "%1 cartes du fichier n'ont pas de fin (END:VCARD) : elles ont été "
                           "importées telles quelles.");
    if (m_imbriquees > 0)
        phrases << Pluriel(m_imbriquees, "1 carte placée à l'intérieur d'une autre a été ignorée.",
                           "%1 cartes placées à l'intérieur d'autres ont été ignorées.");
    if (m_sansColonne > 0)
        phrases << Pluriel(m_sansColonne,
                           "1 propriété n'a pas eu de colonne (plus de 1 000 colonnes) : elle "
                           "n'a pas été importée.",
                           "%1 propriétés n'ont pas eu de colonne (plus de 1 000 colonnes) : "
                           "elles n'ont pas été importées.");
    if (p.illisibles > 0)
        phrases << Pluriel(p.illisibles, "1 photo était illisible : sa fiche n'en a pas.",
                           "%1 photos étaient illisibles : leurs fiches n'en ont pas.");
    if (p.tropGrandes > 0)
        phrases << (p.tropGrandes == 1
                        ? QString::fromUtf8("1 photo dépassait %1 : sa fiche n'en a pas.")
                              .arg(TexteTaille::Mo(static_cast<int64_t>(MaxImage)))
                        : QString::fromUtf8("%1 photos dépassaient %2 : leurs fiches n'en ont "
                                            "pas.")
                              .arg(Nombre(p.tropGrandes),
                                   TexteTaille::Mo(static_cast<int64_t>(MaxImage))));
    if (p.echecs > 0)
        phrases << Pluriel(p.echecs, "1 photo n'a pas pu être enregistrée :",
                           "%1 photos n'ont pas pu être enregistrées :") +
                       QLatin1Char('\n') + p.erreur;
    return phrases.join(QLatin1Char('\n'));
}
