#pragma once

#include "comm/TDialer.h"

#include <QDialog>
#include <array>
#include <string>

class QButtonGroup;
class QComboBox;
class QLineEdit;
class QRadioButton;
class Reglages;

// "Paramètres de numérotation": the modem's port and the serial device behind it,
// pulse or tone dialing, and a prefix dialed before every number. Holds the dialer,
// which takes the port and the method at creation and at every close.
class TNumerot : public QDialog
{
    Q_OBJECT
public:
    explicit TNumerot(QWidget* parent = nullptr);

    // "Options": "Modem", "Méthode", "Préfixe"; "Ports série": the devices.
    void Lit(const Reglages& reglages);
    void Ecrit(Reglages& reglages) const;

    TDialer& Dialer() { return *m_dialer; }
    // Dials the text of a phone field, after the prefix when there is one.
    TDialer::Issue Numerote(const std::string& texte);

    int Modem() const;
    int Methode() const;
    std::string Prefixe() const;

    QRadioButton* BoutonModem(int i) const;
    QRadioButton* BoutonMethode(int i) const;
    QLineEdit* EditPrefixe() const { return m_prefixe; }
    QComboBox* ListePeripheriques() const { return m_peripherique; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    void Applique();
    void MontrePeripherique();
    void RemplitPeripheriques();

    TDialer* m_dialer;
    QButtonGroup* m_modems;
    QButtonGroup* m_methodes;
    QLineEdit* m_prefixe;
    QComboBox* m_peripherique;
    bool m_montre = false; // the program fills the device box: not the user's choice
};
