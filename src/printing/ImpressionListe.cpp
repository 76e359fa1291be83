#include "ImpressionListe.h"

#include "printing/CopieIntelligente.h"
#include "printing/FluxImpression.h"
#include "records/CodePage.h"
#include "records/Pliage.h"
#include "records/Repertoire.h"

#include <algorithm>
#include <cmath>

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

QString ImpressionListe::TempsRestant(qint64 ecouleMs, int faites, int total)
{
    // Less than a second or a few rows tell too little of the pace.
    if (ecouleMs < 1000 || faites < 1 || total < faites) return {};
    const double restant = double(ecouleMs) / 1000.0 * double(total - faites) / double(faites);
    const auto arrondi = [](double valeur, int pas) {
        return static_cast<qint64>(std::ceil(valeur / pas)) * pas;
    };
    if (restant < 60) {
        const qint64 s = std::max<qint64>(arrondi(restant, 5), 5);
        return s >= 60 ? QStringLiteral("environ 1 min") : QStringLiteral("environ %1 s").arg(s);
    }
    if (restant < 3600) {
        const qint64 s = arrondi(restant, 10);
        const qint64 minutes = s / 60;
        const qint64 secondes = s % 60;
        if (minutes >= 60) return QStringLiteral("environ 1 h");
        return secondes == 0 ? QStringLiteral("environ %1 min").arg(minutes)
                             : QStringLiteral("environ %1 min %2 s")
                                   .arg(minutes)
                                   .arg(secondes, 2, 10, QLatin1Char('0'));
    }
    const qint64 m = arrondi(restant / 60, 5);
    return m % 60 == 0 ? QStringLiteral("environ %1 h").arg(m / 60)
                       : QStringLiteral("environ %1 h %2 min")
                             .arg(m / 60)
                             .arg(m % 60, 2, 10, QLatin1Char('0'));
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
        // The next copy starts at the top of a page of its own.
        if (copie < copies) flux.NouvellePage();
    }
    if (avancement && !avancement(faites)) return false;
    return !flux.Echec();
}
