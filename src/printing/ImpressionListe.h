#pragma once

#include "printing/PlageCellules.h"

#include <QString>
#include <functional>

class FluxImpression;
class Repertoire;

// The list print: a heading, then one line per record made of its cells each
// followed by a blank, records separated by an empty line; each copy on new pages.
class ImpressionListe
{
public:
    // The job title, with " (sélection)" when the selection is printed.
    static QString Entete(const QString& fichier, bool selection);
    // The block printed: the grid's selected block, or every record and every column.
    static PlageCellules PlageImprimee(const Repertoire& rep, PlageCellules selection,
                                       bool imprimeSelection);
    // The cells of one row from `gauche` to `droite`, each followed by a blank, its
    // line breaks turned into blanks.
    static QString LigneFiche(const Repertoire& rep, int ligne, int gauche, int droite);

    // How long the rest of a job will take, from the time it took so far for `faites`
    // rows of `total`: "environ 2 min 10 s"; empty until there is enough to tell.
    static QString TempsRestant(qint64 ecouleMs, int faites, int total);

    // Called every few rows with the rows written so far (all copies counted); false
    // stops the job.
    using Avancement = std::function<bool(int lignesFaites)>;
    // False when `avancement` stopped it or the device failed a page break.
    static bool Imprime(const Repertoire& rep, FluxImpression& flux, const QString& entete,
                        PlageCellules plage, int copies, const Avancement& avancement = {});
};
