#include "Catalogue.h"

#include "records/CodePage.h"
#include "records/ErreurSysteme.h"
#include "records/FichierSur.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>

namespace
{

constexpr int DetailsMax = 12;

struct Lecture {
    bool existe = false;
    bool lu = false;
    bool tronque = false;
    QString raison;
    std::vector<QByteArray> lignes;
};

// The file's lines without their CR LF (a lone LF is accepted too).
Lecture LitLignes(const QString& chemin)
{
    Lecture l;
    QFile f(chemin);
    if (!f.exists()) return l;
    l.existe = true;
    if (!f.open(QIODevice::ReadOnly)) {
        l.raison = ErreurSysteme::EnFrancais(f.errorString());
        return l;
    }
    const QByteArray octets = f.read(Catalogue::TailleMaxFichier);
    if (f.error() != QFile::NoError) {
        l.raison = ErreurSysteme::EnFrancais(f.errorString());
        return l;
    }
    l.tronque = !f.atEnd();
    l.lu = true;
    qsizetype debut = 0;
    while (debut < octets.size()) {
        qsizetype fin = octets.indexOf('\n', debut);
        const bool derniere = fin < 0;
        if (derniere) fin = octets.size();
        QByteArray ligne = octets.mid(debut, fin - debut);
        if (ligne.endsWith('\r')) ligne.chop(1);
        // A file cut short at the size limit ends in a partial line: not a line.
        if (!(derniere && l.tronque)) l.lignes.push_back(ligne);
        debut = fin + 1;
    }
    return l;
}

bool LitEntier(const QByteArray& ligne, int& valeur)
{
    bool ok = false;
    const QByteArray t = ligne.trimmed();
    const long long v = t.toLongLong(&ok);
    if (!ok) return false;
    valeur = v < -1000000 ? -1000000 : v > 1000000 ? 1000000 : static_cast<int>(v);
    return true;
}

QString Cite(const QByteArray& ligne)
{
    QString t = CodePage::VersUnicode(std::string_view(ligne.constData(), ligne.size()));
    if (t.size() > 40) t = t.left(40) + QStringLiteral("...");
    return QString::fromUtf8("« %1 »").arg(t);
}

} // namespace

Catalogue::Catalogue() : m_formats(Integres()) {}

std::vector<FormatEtiquette> Catalogue::Integres()
{
    return {
        FormatEtiquette(QStringLiteral("70,0x42,4")), FormatEtiquette(QStringLiteral("70,0x70,0")),
        FormatEtiquette(QStringLiteral("101,0x96,0")), FormatEtiquette(QStringLiteral("210x297"))};
}

int Catalogue::Courant() const
{
    return m_courant >= 0 && m_courant < Nombre() ? m_courant : 0;
}

bool Catalogue::Supprime(int index)
{
    if (index <= 0 || index >= Nombre()) return false;
    m_formats.erase(m_formats.begin() + index);
    m_courant = Nombre() - 1;
    return true;
}

void Catalogue::Ajoute(const FormatEtiquette& format)
{
    m_formats.push_back(format);
    m_courant = Nombre() - 1;
}

void Catalogue::SetParametre(int index, int quel, int valeur)
{
    if (index < 0 || index >= Nombre() || quel < 0 || quel >= FormatEtiquette::NbParametres) return;
    m_formats[static_cast<size_t>(index)].SetParametre(quel, valeur);
}

QString Catalogue::Fichier(const QString& dossier, const QString& base, const QString& extension)
{
    const QString nom = base + QLatin1Char('.') + extension;
    const QDir d(dossier);
    const QStringList trouves = d.entryList({nom}, QDir::Files | QDir::Hidden);
    for (const QString& t : trouves)
        if (t.compare(nom, Qt::CaseInsensitive) == 0) return d.filePath(t);
    return d.filePath(base + QLatin1Char('.') + extension.toLower());
}

QString Catalogue::Lit(const QString& cheminFor, const QString& cheminGap, int indexRetenu)
{
    QStringList fautes;
    const QString nomFor = QFileInfo(cheminFor).fileName();
    const QString nomGap = QFileInfo(cheminGap).fileName();
    m_ecritureBloquee = false;

    // Which names of the ".FOR" file are kept, by their line number.
    std::vector<FormatEtiquette> formats;
    std::vector<bool> garde;
    const Lecture lf = LitLignes(cheminFor);
    if (lf.existe && !lf.lu) {
        m_ecritureBloquee = true;
        fautes << QString::fromUtf8("%1 n'a pas pu être lu : %2. Les formats intégrés sont "
                                    "utilisés et le fichier ne sera pas remplacé.")
                      .arg(nomFor, lf.raison);
        formats = Integres();
        garde.assign(formats.size(), true);
    } else if (lf.existe) {
        if (lf.tronque)
            fautes << QString::fromUtf8("%1 est trop grand : seul son début a été lu.").arg(nomFor);
        int ligne = 0;
        for (const QByteArray& nom : lf.lignes) {
            ++ligne;
            if (static_cast<int>(formats.size()) >= NombreMaxFormats) {
                fautes << QString::fromUtf8("%1 : plus de %2 formats, les suivants sont ignorés.")
                              .arg(nomFor)
                              .arg(NombreMaxFormats);
                break;
            }
            FormatEtiquette f(CodePage::VersUnicode(std::string_view(nom.constData(), nom.size())));
            garde.push_back(f.NomValide());
            if (f.NomValide())
                formats.push_back(f);
            else
                fautes << QString::fromUtf8("%1, ligne %2 : %3 n'est pas une taille "
                                            "d'étiquette (largeur x hauteur) ; ignorée.")
                              .arg(nomFor)
                              .arg(ligne)
                              .arg(Cite(nom));
        }
        if (formats.empty()) {
            fautes << QString::fromUtf8("%1 ne contient aucun format : les formats intégrés sont "
                                        "utilisés.")
                          .arg(nomFor);
            formats = Integres();
            garde.assign(formats.size(), true);
        }
    } else {
        formats = Integres();
        garde.assign(formats.size(), true);
    }

    const Lecture lg = LitLignes(cheminGap);
    if (lg.existe && !lg.lu) {
        m_ecritureBloquee = true;
        fautes << QString::fromUtf8("%1 n'a pas pu être lu : %2. Les marges valent 0 et le "
                                    "fichier ne sera pas remplacé.")
                      .arg(nomGap, lg.raison);
    } else if (lg.existe) {
        if (lg.tronque)
            fautes << QString::fromUtf8("%1 est trop grand : seul son début a été lu.").arg(nomGap);
        size_t lue = 0;
        size_t f = 0;
        int manquantes = 0;
        for (size_t n = 0; n < garde.size(); ++n) {
            for (int p = 0; p < FormatEtiquette::NbParametres; ++p, ++lue) {
                if (lue >= lg.lignes.size()) {
                    if (garde[n]) ++manquantes;
                    continue;
                }
                if (!garde[n]) continue;
                int v = 0;
                const int numero = static_cast<int>(lue) + 1;
                if (!LitEntier(lg.lignes[lue], v)) {
                    fautes << QString::fromUtf8("%1, ligne %2 : %3 n'est pas un nombre entier ; "
                                                "remplacé par 0.")
                                  .arg(nomGap)
                                  .arg(numero)
                                  .arg(Cite(lg.lignes[lue]));
                    v = 0;
                } else if (v < 0 || v > FormatEtiquette::ParametreMax) {
                    const int borne = v < 0 ? 0 : FormatEtiquette::ParametreMax;
                    fautes << QString::fromUtf8("%1, ligne %2 : %3 n'est pas entre 0 et 1000 ; "
                                                "remplacé par %4.")
                                  .arg(nomGap)
                                  .arg(numero)
                                  .arg(Cite(lg.lignes[lue]))
                                  .arg(borne);
                    v = borne;
                }
                formats[f].SetParametre(p, v);
            }
            if (garde[n]) ++f;
        }
        if (manquantes > 0)
            fautes << QString::fromUtf8("%1 : %2 valeur(s) manquante(s), remplacée(s) par 0.")
                          .arg(nomGap)
                          .arg(manquantes);
        // A trailing empty line is no fault.
        size_t reste = lg.lignes.size() > lue ? lg.lignes.size() - lue : 0;
        if (reste == 1 && lg.lignes.back().trimmed().isEmpty()) reste = 0;
        if (reste > 0)
            fautes << QString::fromUtf8("%1 : %2 ligne(s) en trop, ignorée(s).")
                          .arg(nomGap)
                          .arg(reste);
    }

    m_formats = std::move(formats);
    m_courant = lf.existe && lf.lu ? indexRetenu : 0;
    if (fautes.isEmpty()) return {};
    QStringList details = fautes.mid(0, DetailsMax);
    if (fautes.size() > DetailsMax)
        details
            << QString::fromUtf8("... et %1 autre(s) erreur(s).").arg(fautes.size() - DetailsMax);
    return QString::fromUtf8("Le catalogue des formats d'étiquettes est endommagé :\n\n- ") +
           details.join(QStringLiteral("\n- ")) +
           QString::fromUtf8("\n\nLes formats valides ont été gardés. Le catalogue corrigé sera "
                             "enregistré à la fermeture du programme.");
}

QString Catalogue::Ecrit(const QString& cheminFor, const QString& cheminGap) const
{
    if (m_ecritureBloquee)
        return QString::fromUtf8("Le catalogue des formats n'a pas été enregistré, car ses "
                                 "fichiers n'avaient pas pu être lus au démarrage.");
    std::string noms, marges;
    for (const FormatEtiquette& f : m_formats) {
        noms += CodePage::Octets(f.Nom());
        noms += "\r\n";
        for (int v : f.Parametres()) {
            marges += std::to_string(v);
            marges += "\r\n";
        }
    }
    QString erreur = FichierSur::Ecrit(cheminFor, noms.data(), noms.size());
    if (erreur.isEmpty()) erreur = FichierSur::Ecrit(cheminGap, marges.data(), marges.size());
    return erreur;
}
