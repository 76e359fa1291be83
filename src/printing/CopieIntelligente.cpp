#include "CopieIntelligente.h"

#include "printing/OptionsCopie.h"
#include "records/CodePage.h"
#include "records/Repertoire.h"

#include <QFileInfo>
#include <initializer_list>

namespace
{

const char Fin[] = "\r\n";

// One line per field, or the fields of a composed line joined by blanks.
struct LigneCopie {
    std::initializer_list<int> champs;
};

const LigneCopie Lignes[] = {
    {{Civil, Prenom, Nom}},
    {{Fonction, Societe}},
    {{Adresse1}},
    {{Adresse2}},
    {{CP, Ville, Pays}},
    {{Tel}},
    {{Tel2}},
    {{Portable}},
    {{Fax}},
    {{Internet}},
    {{Internet2}},
    {{Internet3}},
    {{Notes}},
    {{SAdresse1}},
    {{SAdresse2}},
    {{SCP, SVille, SPays}},
    {{STel}},
    {{STel2}},
    {{SPortable}},
    {{SFax}},
    {{SInternet}},
    {{SInternet2}},
    {{SInternet3}},
    {{SNotes}},
    {{Banque}},
    {{BAdresse1}},
    {{BAdresse2}},
    {{BCP, BVille, BPays}},
    {{BTel}},
    {{BFax}},
    {{BInternet}},
    {{BNotes}},
    {{Etablissement}},
    {{Guichet}},
    {{Compte}},
    {{Cle}},
};

} // namespace

std::string CopieIntelligente::TexteFiche(const Repertoire& rep, int ligne,
                                          const OptionsCopie& options)
{
    std::string texte;
    if (ligne < 1 || ligne > rep.NbFiches()) return texte;
    std::string composee;
    for (const LigneCopie& l : Lignes) {
        composee.clear();
        const int derniere = *(l.champs.end() - 1);
        for (int champ : l.champs) {
            const std::string_view valeur = rep.Cellule(champ, ligne);
            if (!options.Coche(champ) || valeur.empty()) continue;
            composee += valeur;
            // A blank after every field but the line's last: the line ends with one
            // when its last field does not take part.
            if (champ != derniere) composee += ' ';
        }
        if (composee.empty()) continue;
        texte += composee;
        texte += Fin;
    }
    return texte;
}

PlageCellules CopieIntelligente::PlageCopiee(const Repertoire& rep, PlageCellules plage)
{
    if (plage.UneCellule()) return {1, rep.NbFiches(), 0, NbColonnes - 1};
    plage.ligneHaut = std::max(plage.ligneHaut, 1);
    plage.ligneBas = std::min(plage.ligneBas, rep.NbFiches());
    plage.colonneGauche = std::max(plage.colonneGauche, 0);
    plage.colonneDroite = std::min(plage.colonneDroite, NbColonnes - 1);
    return plage;
}

std::string CopieIntelligente::TexteListe(const Repertoire& rep, PlageCellules plage)
{
    const bool selection = !plage.UneCellule();
    plage = PlageCopiee(rep, plage);
    std::string texte = CodePage::Octets(TitreRepertoire(rep.FichierCourant()));
    if (selection) texte += CodePage::Octets(QString::fromUtf8(" (sélection)"));
    texte += Fin;
    texte += Fin;
    for (int ligne = plage.ligneHaut; ligne <= plage.ligneBas; ++ligne) {
        const Repertoire::VueLigne vue = rep.Vue(ligne);
        for (int c = plage.colonneGauche; c <= plage.colonneDroite; ++c) {
            const std::string_view valeur = vue.Cellule(c);
            if (valeur.empty()) continue;
            texte += valeur;
            texte += Fin;
        }
        texte += Fin;
    }
    return texte;
}

QString CopieIntelligente::TitreRepertoire(const QString& fichier)
{
    QString nom = fichier.isEmpty() ? QString() : QFileInfo(fichier).fileName();
    const qsizetype point = nom.indexOf(QLatin1Char('.'));
    if (point >= 0) nom.truncate(point);
    return QString::fromUtf8("Carnet d'adresses : Répertoire ") + nom;
}
