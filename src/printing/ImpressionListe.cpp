#include "ImpressionListe.h"

#include "printing/CopieIntelligente.h"
#include "printing/FluxImpression.h"
#include "records/CodePage.h"
#include "records/Pliage.h"
#include "records/Repertoire.h"

#include <algorithm>

QString ImpressionListe::Entete(const QString& fichier, bool selection)
{
    QString entete = CopieIntelligente::TitreRepertoire(fichier);
    if (selection) entete += QString::fromUtf8(" (sélection)");
    return entete;
}

PlageCellules ImpressionListe::PlageImprimee(const Repertoire& rep, PlageCellules selection,
                                             bool imprimeSelection)
{
    if (!imprimeSelection) return {1, rep.NbFiches(), 0, NbColonnes - 1};
    selection.ligneHaut = std::max(selection.ligneHaut, 1);
    selection.ligneBas = std::min(selection.ligneBas, rep.NbFiches());
    selection.colonneGauche = std::max(selection.colonneGauche, 0);
    selection.colonneDroite = std::min(selection.colonneDroite, NbColonnes - 1);
    return selection;
}

QString ImpressionListe::LigneFiche(const Repertoire& rep, int ligne, int gauche, int droite)
{
    std::string octets;
    const Repertoire::VueLigne vue = rep.Vue(ligne);
    for (int c = gauche; c <= droite; ++c) {
        const std::string_view cellule = vue.Cellule(c);
        if (cellule.find('\r') == std::string_view::npos)
            octets += cellule;
        else
            octets += Pliage::CodeLigne(cellule, ' ');
        octets += ' ';
    }
    return CodePage::VersUnicode(octets);
}

bool ImpressionListe::Imprime(const Repertoire& rep, FluxImpression& flux, const QString& entete,
                              PlageCellules plage, int copies, const Avancement& avancement)
{
    constexpr int Pas = 100;
    int faites = 0;
    for (int copie = 1; copie <= copies; ++copie) {
        flux.Ecrit(entete);
        flux.FinLigne();
        flux.FinLigne();
        for (int ligne = plage.ligneHaut; ligne <= plage.ligneBas; ++ligne) {
            flux.Ecrit(LigneFiche(rep, ligne, plage.colonneGauche, plage.colonneDroite));
            flux.FinLigne();
            flux.FinLigne();
            if (flux.Echec()) return false;
            if (++faites % Pas == 0 && avancement && !avancement(faites)) return false;
        }
        // The next copy starts at the top of a page of its own, but a page the last
        // line already started is not left blank.
        if (copie < copies && !flux.PageVierge()) flux.NouvellePage();
    }
    if (avancement && !avancement(faites)) return false;
    return !flux.Echec();
}
