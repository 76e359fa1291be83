#pragma once

#include "comm/TCommunication.h"
#include "comm/TNumerot.h"
#include "mainwindow/Socle.h"
#include "mainwindow/TFiche.h"

// The main window with the dialer and the links in place, as the program puts them,
// and nothing of the other subsystems.
class BancCommunication : public Socle
{
public:
    BancCommunication(const QString& reglages, const QString& dossier, const QStringList& arguments)
        : Socle(reglages, dossier)
    {
        m_numerot = new TNumerot(Fiche());
        m_numerot->Lit(Store());
        new TCommunication(*Fiche(), *m_numerot);
        Ecriture().Contribue(EcritureReglages::Etape::OptionsModem,
                             [this](Reglages& r) { m_numerot->Ecrit(r); });
        Demarre(arguments);
    }
    TNumerot* Numerot() const { return m_numerot; }

private:
    TNumerot* m_numerot = nullptr;
};
