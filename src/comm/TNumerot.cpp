#include "TNumerot.h"

#include "records/CodePage.h"
#include "settings/Reglages.h"
#include "ui/ValidateurCp1252.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace
{
const QString Options = QStringLiteral("Options");
QString U(const char* utf8)
{
    return QString::fromUtf8(utf8);
}
} // namespace

TNumerot::TNumerot(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("Numerot"));
    setWindowTitle(U("Paramètres de numérotation"));
    m_dialer = new TDialer(this);
    m_dialer->setObjectName(QStringLiteral("Dialer"));
    m_dialer->Language = TLanguage::dlFrench;

    auto* colonne = new QVBoxLayout(this);
    auto* haut = new QHBoxLayout;
    colonne->addLayout(haut);

    auto* boiteModem = new QGroupBox(U("Modem"), this);
    boiteModem->setObjectName(QStringLiteral("Modem"));
    auto* grille = new QGridLayout(boiteModem);
    m_modems = new QButtonGroup(this);
    for (int i = 0; i < 4; ++i) {
        auto* bouton =
            new QRadioButton(CommandeModem::NomPort(static_cast<TComPort>(i)), boiteModem);
        m_modems->addButton(bouton, i);
        grille->addWidget(bouton, i / 2, i % 2);
    }
    auto* libelle = new QLabel(U("&Périphérique :"), boiteModem);
    m_peripherique = new QComboBox(boiteModem);
    m_peripherique->setObjectName(QStringLiteral("Peripherique"));
    m_peripherique->setEditable(true);
    m_peripherique->setInsertPolicy(QComboBox::NoInsert);
    m_peripherique->setMinimumContentsLength(14);
    m_peripherique->setToolTip(U("Le périphérique série du port choisi : /dev/ttyS0 à "
                                 "/dev/ttyS3 pour COM1 à COM4, /dev/ttyACM0 ou /dev/ttyUSB0 "
                                 "pour un modem USB"));
    libelle->setBuddy(m_peripherique);
    grille->addWidget(libelle, 2, 0, 1, 2);
    grille->addWidget(m_peripherique, 3, 0, 1, 2);
    haut->addWidget(boiteModem);

    auto* boiteMethode = new QGroupBox(U("Méthode"), this);
    boiteMethode->setObjectName(QStringLiteral("Methode"));
    auto* pile = new QVBoxLayout(boiteMethode);
    m_methodes = new QButtonGroup(this);
    const char* methodes[] = {"Impulsions", "Fréquence vocale"};
    for (int i = 0; i < 2; ++i) {
        auto* bouton = new QRadioButton(U(methodes[i]), boiteMethode);
        m_methodes->addButton(bouton, i);
        pile->addWidget(bouton);
    }
    pile->addStretch(1);
    haut->addWidget(boiteMethode);

    auto* ligne = new QHBoxLayout;
    auto* libellePrefixe = new QLabel(U("Préfixe à numéroter :"), this);
    m_prefixe = new QLineEdit(this);
    m_prefixe->setObjectName(QStringLiteral("Prefixe"));
    m_prefixe->setValidator(new ValidateurCp1252(true, m_prefixe));
    libellePrefixe->setBuddy(m_prefixe);
    ligne->addWidget(libellePrefixe);
    ligne->addWidget(m_prefixe, 1);
    colonne->addLayout(ligne);

    auto* boutons = new QDialogButtonBox(this);
    QPushButton* ok = boutons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
    ok->setObjectName(QStringLiteral("OK"));
    ok->setDefault(true);
    colonne->addWidget(boutons);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);

    m_modems->button(2)->setChecked(true);
    m_methodes->button(1)->setChecked(true);
    RemplitPeripheriques();
    connect(m_modems, &QButtonGroup::idToggled, this, [this](int, bool coche) {
        if (coche) MontrePeripherique();
    });
    connect(m_peripherique, &QComboBox::currentTextChanged, this, [this](const QString& texte) {
        if (!m_montre) m_dialer->Ports().SetPeripherique(static_cast<TComPort>(Modem()), texte);
    });
    connect(this, &QDialog::finished, this, [this] {
        // An emptied device box shows the default it falls back to.
        MontrePeripherique();
        Applique();
    });
    MontrePeripherique();
    Applique();
}

QRadioButton* TNumerot::BoutonModem(int i) const
{
    return qobject_cast<QRadioButton*>(m_modems->button(i));
}

QRadioButton* TNumerot::BoutonMethode(int i) const
{
    return qobject_cast<QRadioButton*>(m_methodes->button(i));
}

int TNumerot::Modem() const
{
    return qMax(0, m_modems->checkedId());
}

int TNumerot::Methode() const
{
    return qMax(0, m_methodes->checkedId());
}

std::string TNumerot::Prefixe() const
{
    std::string octets;
    CodePage::VersWindows1252(m_prefixe->text(), octets);
    return octets;
}

void TNumerot::Lit(const Reglages& reglages)
{
    int modem = reglages.ReadInteger(Options, QStringLiteral("Modem"), 2);
    if (modem < 0 || modem > 3) modem = 2;
    int methode = reglages.ReadInteger(Options, U("Méthode"), 1);
    if (methode < 0 || methode > 1) methode = 1;
    m_dialer->Ports().Lit(reglages);
    m_modems->button(modem)->setChecked(true);
    m_methodes->button(methode)->setChecked(true);
    QString prefixe = reglages.ReadString(Options, U("Préfixe"), QString());
    // Only what the box itself would take: no line break, nothing outside Windows-1252.
    prefixe = ValidateurCp1252::SansSautsDeLigne(prefixe);
    m_prefixe->setText(CodePage::Representable(prefixe) ? prefixe : QString());
    MontrePeripherique();
    Applique();
}

void TNumerot::Ecrit(Reglages& reglages) const
{
    reglages.WriteInteger(Options, QStringLiteral("Modem"), Modem());
    reglages.WriteInteger(Options, U("Méthode"), Methode());
    reglages.WriteString(Options, U("Préfixe"), m_prefixe->text());
    m_dialer->Ports().Ecrit(reglages);
}

void TNumerot::Applique()
{
    m_dialer->ComPort = static_cast<TComPort>(Modem());
    m_dialer->Method = Methode() == 0 ? TMethod::dmPulse : TMethod::dmTone;
}

TDialer::Issue TNumerot::Numerote(const std::string& texte)
{
    m_dialer->NumberToDial = CommandeModem::ChaineANumeroter(Prefixe(), texte);
    return m_dialer->Dial();
}

void TNumerot::RemplitPeripheriques()
{
    m_montre = true;
    const QString texte = m_peripherique->currentText();
    m_peripherique->clear();
    m_peripherique->addItems(PortsModem::PeripheriquesSysteme());
    m_peripherique->setCurrentText(texte);
    m_montre = false;
}

void TNumerot::MontrePeripherique()
{
    m_montre = true;
    m_peripherique->setCurrentText(m_dialer->Ports().Peripherique(static_cast<TComPort>(Modem())));
    m_montre = false;
}

void TNumerot::showEvent(QShowEvent* event)
{
    // A USB modem plugged in since the last time is offered.
    RemplitPeripheriques();
    MontrePeripherique();
    QDialog::showEvent(event);
}
