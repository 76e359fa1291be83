#pragma once

#include "mainwindow/Socle.h"
#include "mainwindow/TFiche.h"
#include "printing/TCopyOpt.h"
#include "printing/TImpression.h"

// The main window with the copy and print commands in place, as the program puts
// them, and nothing of the other subsystems.
class BancImpression : public Socle
{
public:
    BancImpression(const QString& reglages, const QString& dossier, const QStringList& arguments)
        : Socle(reglages, dossier)
    {
        m_copyOpt = new TCopyOpt(Fiche());
        m_copyOpt->Lit(Store());
        m_impression = new TImpression(*Fiche(), *m_copyOpt, Fiche());
        Ecriture().Contribue(EcritureReglages::Etape::OptionsCopie,
                             [this](Reglages& r) { m_copyOpt->Ecrit(r); });
        Demarre(arguments);
    }
    TCopyOpt* CopyOpt() const { return m_copyOpt; }
    TImpression* Impression() const { return m_impression; }

private:
    TCopyOpt* m_copyOpt = nullptr;
    TImpression* m_impression = nullptr;
};
