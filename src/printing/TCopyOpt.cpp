#include "TCopyOpt.h"

#include "ui/TCasesChamps.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

TCopyOpt::TCopyOpt(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("CopyOpt"));
    setWindowTitle(QStringLiteral("Copier les champs :"));
    setModal(true);

    const auto liste = [](PageFiche page) {
        std::vector<TCasesChamps::Case> cases;
        for (int champ : OptionsCopie::ChampsDeLaPage(page))
            cases.push_back(
                {champ, OptionsCopie::InfoChamp(champ)->libelle, Champs::Info(champ).cle});
        return cases;
    };
    m_cases = new TCasesChamps(liste, 360, this);
    m_ok = new QPushButton(QStringLiteral("OK"), this);
    m_ok->setObjectName(QStringLiteral("OK"));
    m_ok->setDefault(true);
    m_annuler = new QPushButton(QStringLiteral("Annuler"), this);
    m_annuler->setObjectName(QStringLiteral("Annuler"));
    m_cases->LigneBoutons()->addWidget(m_ok);
    m_cases->LigneBoutons()->addWidget(m_annuler);
    auto* colonne = new QVBoxLayout(this);
    colonne->addWidget(m_cases);
    colonne->setSizeConstraint(QLayout::SetFixedSize);

    connect(m_cases, &TCasesChamps::Coche, this,
            [this](int champ, bool coche) { m_options.SetCoche(champ, coche); });
    connect(m_cases, &TCasesChamps::ToutCoche, this, [this](PageFiche page, bool coche) {
        m_options.CocheTout(page, coche);
        MajCases();
    });
    connect(m_ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_annuler, &QPushButton::clicked, this, &QDialog::reject);

    MajCases();
}

void TCopyOpt::Lit(const Reglages& reglages)
{
    m_options.Lit(reglages);
    MajCases();
    m_cases->Pages()->setCurrentIndex(0);
}

void TCopyOpt::Ecrit(Reglages& reglages) const
{
    m_options.Ecrit(reglages);
}

bool TCopyOpt::Choisit()
{
    const OptionsCopie avant = m_options;
    MajCases();
    if (exec() == QDialog::Accepted) return true;
    m_options = avant;
    MajCases();
    return false;
}

QTabWidget* TCopyOpt::Pages() const
{
    return m_cases->Pages();
}

QCheckBox* TCopyOpt::Case(int champ) const
{
    return champ < OptionsCopie::NbOptions ? m_cases->CaseDe(champ) : nullptr;
}

QPushButton* TCopyOpt::ToutSelectionner() const
{
    return m_cases->ToutSelectionner();
}

QPushButton* TCopyOpt::ToutDeselectionner() const
{
    return m_cases->ToutDeselectionner();
}

void TCopyOpt::MajCases()
{
    m_cases->MetAJour([this](int c) { return m_options.Coche(c); });
}
