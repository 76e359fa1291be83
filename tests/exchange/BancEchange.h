#pragma once

#include "exchange/TAsso.h"
#include "exchange/TEchange.h"
#include "mainwindow/Socle.h"
#include "mainwindow/TFiche.h"

// The main window with the export and import commands in place, as the program puts
// them, and nothing of the other subsystems.
class BancEchange : public Socle
{
public:
    BancEchange(const QString& reglages, const QString& dossier, const QStringList& arguments)
        : Socle(reglages, dossier)
    {
        m_echange = new TEchange(*Fiche(), *new TAsso(Fiche()));
        Demarre(arguments);
    }
    TEchange* Echange() const { return m_echange; }

private:
    TEchange* m_echange = nullptr;
};
