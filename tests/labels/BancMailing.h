#pragma once

#include "labels/TMailing.h"
#include "mainwindow/Socle.h"
#include "mainwindow/TFiche.h"

// The main window with the label commands and their catalogue in place, as the
// program puts them, and nothing of the other subsystems.
class BancMailing : public Socle
{
public:
    BancMailing(const QString& reglages, const QString& dossier, const QStringList& arguments)
        : Socle(reglages, dossier)
    {
        m_mailing = new TMailing(*Fiche());
        m_mailing->Lit(Store());
        m_mailing->BrancheCatalogue(*this, dossier);
        m_mailing->Contribue(Ecriture());
        Demarre(arguments);
    }
    TMailing* Mailing() const { return m_mailing; }

private:
    TMailing* m_mailing = nullptr;
};
