#include "Catalogue.h"

#include "LecteurLignes.h"
#include "records/CodePage.h"
#include "records/ErreurSysteme.h"
#include "records/FichierSur.h"
#include "records/TexteTaille.h"

#include <QDir>
#include <QFileInfo>
#include <QStringList>
#include <cerrno>
#include <unistd.h>

struct Catalogue::Source {
    QString nom; // as the messages name it
    bool existe = false;
    QString refus; // why it could not be read at all
    std::unique_ptr<LecteurLignes> lecteur;
};

namespace
{

// Whole numbers of the ".GAP" file, with their sign; spaces around are allowed.
// `horsBornes` is set for a number too long to hold, read as its sign's bound.
bool LitEntier(const std::string& ligne, int& valeur)
{
    size_t i = 0, fin = ligne.size();
    while (i < fin && (ligne[i] == ' ' || ligne[i] == '\t'))
        ++i;
    while (fin > i && (ligne[fin - 1] == ' ' || ligne[fin - 1] == '\t'))
        --fin;
    bool negatif = false;
    if (i < fin && (ligne[i] == '-' || ligne[i] == '+')) negatif = ligne[i++] == '-';
    if (i == fin) return false;
    long long v = 0;
    for (; i < fin; ++i) {
        const char c = ligne[i];
        if (c < '0' || c > '9') return false;
        if (v < 1000000000LL) v = v * 10 + (c - '0');
    }
    valeur = static_cast<int>(negatif ? -std::min(v, 1000000000LL) : std::min(v, 1000000000LL));
    return true;
}

QString Cite(const std::string& ligne)
{
    if (ligne.empty()) return QStringLiteral("(vide)");
    QString t = CodePage::VersUnicode(std::string_view(ligne).substr(0, 200));
    for (QChar& c : t)
        if (c.unicode() < 32) c = QChar(0xB7);
    if (t.size() > 40) t = t.left(40) + QStringLiteral("...");
    return QString::fromUtf8("« %1 »").arg(t);
}

// How many lines had one fault, with the first few of them quoted.
struct Exemples {
    long long nombre = 0;
    QStringList cites;
    void Ajoute(long long ligne, const std::string& texte)
    {
        if (++nombre <= 3) cites << QStringLiteral("ligne %1 %2").arg(ligne).arg(Cite(texte));
    }
    QString Texte() const
    {
        return cites.join(QStringLiteral(", ")) +
               (nombre > cites.size() ? QStringLiteral(", ...") : QString());
    }
};

QString Compte(long long n, const char* singulier, const char* pluriel)
{
    return QStringLiteral("%1 %2").arg(n).arg(QString::fromUtf8(n == 1 ? singulier : pluriel));
}

QString NonLu(const QString& nom, const QString& raison)
{
    QString r = raison;
    if (r.endsWith(QLatin1Char('.'))) r.chop(1);
    return QString::fromUtf8("%1 n'a pas pu être lu : %2").arg(nom, r);
}

} // namespace

Catalogue::Catalogue() : m_formats(Integres())
{
    for (const FormatEtiquette& f : m_formats)
        m_bruts.push_back({CodePage::Octets(f.Nom()), nullptr});
}

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
    m_bruts.erase(m_bruts.begin() + index);
    m_courant = Nombre() - 1;
    return true;
}

void Catalogue::Ajoute(const FormatEtiquette& format)
{
    m_formats.push_back(format);
    m_bruts.push_back({CodePage::Octets(format.Nom()), nullptr});
    m_courant = Nombre() - 1;
}

void Catalogue::SetParametre(int index, int quel, int valeur)
{
    if (index < 0 || index >= Nombre() || quel < 0 || quel >= FormatEtiquette::NbParametres) return;
    const size_t i = static_cast<size_t>(index);
    m_formats[i].SetParametre(quel, valeur);
    // The user's value replaces the line the reader could not use.
    if (m_bruts[i].valeurs) (*m_bruts[i].valeurs)[static_cast<size_t>(quel)].reset();
}

QString Catalogue::Fichier(const QString& dossier, const QString& base, const QString& extension)
{
    const QString nom = base + QLatin1Char('.') + extension;
    const QDir d(dossier);
    const QStringList trouves = d.entryList({nom}, QDir::Files | QDir::Hidden | QDir::System);
    for (const QString& t : trouves)
        if (t.compare(nom, Qt::CaseInsensitive) == 0) return d.filePath(t);
    return d.filePath(base + QLatin1Char('.') + extension.toLower());
}

QString Catalogue::Lit(const QString& cheminFor, const QString& cheminGap, int indexRetenu,
                       size_t bloc)
{
    Source sources[2];
    const QString chemins[2] = {cheminFor, cheminGap};
    for (int i = 0; i < 2; ++i) {
        Source& s = sources[i];
        const QFileInfo info(chemins[i]);
        s.nom = info.fileName();
        s.existe = info.exists() || info.isSymLink();
        if (!s.existe) continue;
        int64_t taille = 0;
        const int fd = OuvertureSure::Ouvre(chemins[i], &s.refus, &taille);
        if (fd < 0) continue;
        if (taille > TailleMaxFichier) {
            ::close(fd);
            s.refus = QString::fromUtf8("le fichier est trop grand pour un catalogue (%1, plus "
                                        "que les %2 admis)")
                          .arg(TexteTaille::Mo(taille, TailleMaxFichier),
                               TexteTaille::Mo(TailleMaxFichier));
            continue;
        }
        s.lecteur = std::make_unique<LecteurLignes>(fd, bloc, TailleMaxFichier);
    }
    return Analyse(sources[0], sources[1], indexRetenu);
}

QString Catalogue::LitOctets(const std::string* octetsFor, const std::string* octetsGap,
                             const QString& nomFor, const QString& nomGap, int indexRetenu)
{
    Source sources[2];
    const std::string* octets[2] = {octetsFor, octetsGap};
    const QString noms[2] = {nomFor, nomGap};
    for (int i = 0; i < 2; ++i) {
        Source& s = sources[i];
        s.nom = noms[i];
        s.existe = octets[i] != nullptr;
        if (!s.existe) continue;
        const int64_t taille = static_cast<int64_t>(octets[i]->size());
        if (taille > TailleMaxFichier)
            s.refus = QString::fromUtf8("le fichier est trop grand pour un catalogue (%1, plus "
                                        "que les %2 admis)")
                          .arg(TexteTaille::Mo(taille, TailleMaxFichier),
                               TexteTaille::Mo(TailleMaxFichier));
        else
            s.lecteur = std::make_unique<LecteurLignes>(*octets[i]);
    }
    return Analyse(sources[0], sources[1], indexRetenu);
}

QString Catalogue::Analyse(Source& sf, Source& sg, int indexRetenu)
{
    QStringList fautes; // what was wrong, counted
    QStringList graves; // what keeps the files from being rewritten
    m_ecritureBloquee = false;
    m_lignesEnTrop.clear();
    std::vector<FormatEtiquette> formats;
    std::vector<Brut> bruts;
    auto integres = [&] {
        formats = Integres();
        bruts.clear();
        for (const FormatEtiquette& f : formats)
            bruts.push_back({CodePage::Octets(f.Nom()), nullptr});
    };

    bool forLu = false;
    if (sf.existe && !sf.lecteur) {
        graves << NonLu(sf.nom, sf.refus) +
                      QString::fromUtf8(" ; les formats intégrés sont utilisés.");
        integres();
    } else if (sf.existe) {
        Exemples illisibles;
        std::string ligne;
        long long numero = 0;
        long long vides = 0; // blank lines count only when a name follows them
        bool trop = false;
        auto entree = [&](long long ligneFichier, const std::string& octets) {
            if (static_cast<int>(formats.size()) >= NombreMaxFormats) {
                trop = true;
                return;
            }
            FormatEtiquette f(CodePage::VersUnicode(octets));
            if (!f.NomValide()) illisibles.Ajoute(ligneFichier, octets);
            formats.push_back(std::move(f));
            bruts.push_back({octets, nullptr});
        };
        while (!trop && sf.lecteur->Suivante(ligne)) {
            ++numero;
            if (ligne.empty()) {
                ++vides;
                continue;
            }
            for (long long v = vides; v > 0 && !trop; --v)
                entree(numero - v, std::string());
            vides = 0;
            entree(numero, ligne);
        }
        if (sf.lecteur->Erreur() != 0) {
            graves << NonLu(sf.nom, ErreurSysteme::Numero(sf.lecteur->Erreur())) +
                          QString::fromUtf8(" ; les formats intégrés sont utilisés.");
            integres();
        } else {
            forLu = true;
            if (trop)
                graves << QString::fromUtf8("%1 a plus de %2 formats : seuls les %2 premiers sont "
                                            "utilisés.")
                              .arg(sf.nom)
                              .arg(NombreMaxFormats);
            if (illisibles.nombre > 0)
                fautes << (illisibles.nombre == 1
                               ? QString::fromUtf8("%1 : 1 nom n'est pas une taille d'étiquette "
                                                   "(largeur x hauteur) : %2. Ce format reste dans "
                                                   "la liste avec ses marges, mais ne peut pas "
                                                   "servir à imprimer.")
                                     .arg(sf.nom, illisibles.Texte())
                               : QString::fromUtf8("%1 : %2 noms ne sont pas des tailles "
                                                   "d'étiquette (largeur x hauteur) : %3. Ces "
                                                   "formats restent dans la liste avec leurs "
                                                   "marges, mais ne peuvent pas servir à "
                                                   "imprimer.")
                                     .arg(sf.nom)
                                     .arg(illisibles.nombre)
                                     .arg(illisibles.Texte()));
            if (formats.empty()) {
                fautes << QString::fromUtf8("%1 ne contient aucun format : les formats intégrés "
                                            "sont utilisés.")
                              .arg(sf.nom);
                integres();
            }
        }
    } else {
        integres();
    }

    if (sg.existe && !sg.lecteur) {
        graves << NonLu(sg.nom, sg.refus) + QString::fromUtf8(" ; les marges valent 0.");
    } else if (sg.existe) {
        Exemples nonEntiers, horsBornes;
        const long long attendues =
            static_cast<long long>(formats.size()) * FormatEtiquette::NbParametres;
        std::string ligne;
        long long lue = 0;
        long long vides = 0, enTrop = 0;
        while (sg.lecteur->Suivante(ligne)) {
            ++lue;
            if (lue > attendues) {
                // Kept as they are at the end; blank lines only when more follows.
                if (ligne.empty()) {
                    ++vides;
                    continue;
                }
                for (; vides > 0; --vides, ++enTrop)
                    m_lignesEnTrop += "\r\n";
                m_lignesEnTrop += ligne;
                m_lignesEnTrop += "\r\n";
                ++enTrop;
                continue;
            }
            const size_t f = static_cast<size_t>((lue - 1) / FormatEtiquette::NbParametres);
            const int p = static_cast<int>((lue - 1) % FormatEtiquette::NbParametres);
            int v = 0;
            bool brut = false;
            if (!LitEntier(ligne, v)) {
                nonEntiers.Ajoute(lue, ligne);
                v = 0;
                brut = true;
            } else if (v < 0 || v > FormatEtiquette::ParametreMax) {
                horsBornes.Ajoute(lue, ligne);
                v = v < 0 ? 0 : FormatEtiquette::ParametreMax;
                brut = true;
            }
            formats[f].SetParametre(p, v);
            if (brut) {
                if (!bruts[f].valeurs) bruts[f].valeurs = std::make_unique<Valeurs>();
                (*bruts[f].valeurs)[static_cast<size_t>(p)] = ligne;
            }
        }
        if (sg.lecteur->Erreur() != 0) {
            graves << NonLu(sg.nom, ErreurSysteme::Numero(sg.lecteur->Erreur())) +
                          QString::fromUtf8(" ; les marges valent 0.");
            for (size_t i = 0; i < formats.size(); ++i) {
                for (int p = 0; p < FormatEtiquette::NbParametres; ++p)
                    formats[i].SetParametre(p, 0);
                bruts[i].valeurs.reset();
            }
            m_lignesEnTrop.clear();
        } else {
            if (nonEntiers.nombre > 0)
                fautes
                    << (nonEntiers.nombre == 1
                            ? QString::fromUtf8("%1 : 1 valeur n'est pas un nombre entier (%2) : "
                                                "0 est utilisé à sa place.")
                                  .arg(sg.nom, nonEntiers.Texte())
                            : QString::fromUtf8("%1 : %2 valeurs ne sont pas des nombres entiers "
                                                "(%3) : 0 est utilisé à leur place.")
                                  .arg(sg.nom)
                                  .arg(nonEntiers.nombre)
                                  .arg(nonEntiers.Texte()));
            if (horsBornes.nombre > 0)
                fautes << QString::fromUtf8("%1 : %2 hors de 0 à 1000 (%3) : la borne la plus "
                                            "proche est utilisée.")
                              .arg(sg.nom, Compte(horsBornes.nombre, "valeur est", "valeurs sont"),
                                   horsBornes.Texte());
            if (lue < attendues) {
                const long long premier = lue / FormatEtiquette::NbParametres + 1;
                const long long dernier = static_cast<long long>(formats.size());
                fautes << QString::fromUtf8("%1 : il manque %2 pour %3 : 0 est utilisé.")
                              .arg(sg.nom, Compte(attendues - lue, "valeur", "valeurs"),
                                   premier == dernier ? QStringLiteral("le format %1").arg(premier)
                                                      : QStringLiteral("les formats %1 à %2")
                                                            .arg(premier)
                                                            .arg(dernier));
            }
            if (enTrop > 0)
                fautes << QString::fromUtf8("%1 : %2 après les six valeurs du dernier format.")
                              .arg(sg.nom, Compte(enTrop, "ligne vient", "lignes viennent"));
        }
    }

    m_formats = std::move(formats);
    m_bruts = std::move(bruts);
    m_courant = forLu ? indexRetenu : 0;
    m_ecritureBloquee = !graves.isEmpty();
    if (fautes.isEmpty() && graves.isEmpty()) return {};

    QString message = QString::fromUtf8("Le catalogue des formats d'étiquettes n'est pas tout à "
                                        "fait lisible :\n\n- ") +
                      (graves + fautes).join(QStringLiteral("\n- "));
    if (m_ecritureBloquee)
        message += QString::fromUtf8("\n\nPour ne rien perdre, ses fichiers ne seront pas "
                                     "modifiés à la fermeture du programme : les formats "
                                     "créés ou changés d'ici là ne seront pas enregistrés.");
    else
        message += QString::fromUtf8("\n\nRien n'est perdu : ces lignes sont gardées telles "
                                     "quelles et réécrites à la fermeture du programme, qui "
                                     "conserve la version précédente des deux fichiers sous "
                                     "les noms « %1.bak » et « %2.bak ».")
                       .arg(sf.nom, sg.nom);
    return message;
}

std::string Catalogue::OctetsFormats() const
{
    std::string noms;
    for (const Brut& b : m_bruts) {
        noms += b.nom;
        noms += "\r\n";
    }
    return noms;
}

std::string Catalogue::OctetsMarges() const
{
    std::string marges;
    for (size_t i = 0; i < m_formats.size(); ++i) {
        const Valeurs* bruts = m_bruts[i].valeurs.get();
        for (int p = 0; p < FormatEtiquette::NbParametres; ++p) {
            const auto& brut = bruts ? (*bruts)[static_cast<size_t>(p)] : std::nullopt;
            marges += brut ? *brut : std::to_string(m_formats[i].Parametre(p));
            marges += "\r\n";
        }
    }
    return marges + m_lignesEnTrop;
}

QString Catalogue::Ecrit(const QString& cheminFor, const QString& cheminGap) const
{
    if (m_ecritureBloquee)
        return QString::fromUtf8("Le catalogue des formats n'a pas été enregistré, car ses "
                                 "fichiers n'avaient pas pu être lus entièrement au démarrage : "
                                 "ils sont restés tels quels.");
    const std::string nouveaux[2] = {OctetsFormats(), OctetsMarges()};
    const QString chemins[2] = {cheminFor, cheminGap};
    // The files as they are now: kept as the ".bak" pair, and nothing to do when they
    // already hold these bytes.
    std::string anciens[2];
    bool existe[2] = {false, false};
    for (int i = 0; i < 2; ++i) {
        const QFileInfo info(chemins[i]);
        existe[i] = info.exists() || info.isSymLink();
        if (!existe[i]) continue;
        const QString raison = OuvertureSure::LitTout(chemins[i], anciens[i], 4 * TailleMaxFichier);
        if (!raison.isEmpty())
            return QString::fromUtf8("%1 n'a pas pu être relu pour en garder une copie : %2\nLes "
                                     "fichiers du catalogue sont restés tels quels.")
                .arg(info.fileName(), raison);
    }
    if (existe[0] && existe[1] && anciens[0] == nouveaux[0] && anciens[1] == nouveaux[1]) return {};

    EcritureGroupee groupe;
    if (existe[0] || existe[1])
        for (int i = 0; i < 2; ++i) {
            if (existe[i])
                groupe.Fichier(Sauvegarde(chemins[i])).Ecrit(anciens[i].data(), anciens[i].size());
            else
                groupe.Retire(Sauvegarde(chemins[i]));
        }
    for (int i = 0; i < 2; ++i)
        groupe.Fichier(chemins[i]).Ecrit(nouveaux[i].data(), nouveaux[i].size());
    const QString erreur = groupe.Termine();
    if (erreur.isEmpty()) return {};
    return erreur + (erreur.endsWith(QLatin1Char('.')) ? QString() : QStringLiteral(".")) +
           QString::fromUtf8("\nLes fichiers du catalogue sont restés tels quels.");
}
