#include "TSchOpt.h"

#include "OptionsRecherche.h"

#include "ui/TCasesChamps.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

TSchOpt::TSchOpt(OptionsRecherche& options, QWidget* parent) : QDialog(parent), m_options(options)
{
    setObjectName(QStringLiteral("SchOpt"));
    setWindowTitle(QStringLiteral("Rechercher uniquement dans les champs :"));
    setModal(true);

    const auto liste = [](PageFiche page) {
        std::vector<TCasesChamps::Case> cases;
        for (int champ : OptionsRecherche::ChampsDeLaPage(page)) {
            const OptionsRecherche::Option* info = OptionsRecherche::InfoChamp(champ);
            cases.push_back({champ, info->libelle, info->cle});
        }
        return cases;
    };
    // Wide enough for the caption to show whole in the title bar.
    m_cases = new TCasesChamps(liste, 420, this);
    m_fermer = new QPushButton(QStringLiteral("&Fermer"), this);
    m_fermer->setObjectName(QStringLiteral("Fermer"));
    m_fermer->setDefault(true);
    m_cases->LigneBoutons()->addWidget(m_fermer);
    auto* colonne = new QVBoxLayout(this);
    colonne->addWidget(m_cases);
    colonne->setSizeConstraint(QLayout::SetFixedSize);

    connect(m_cases, &TCasesChamps::Coche, this,
            [this](int champ, bool coche) { m_options.SetCoche(champ, coche); });
    connect(m_cases, &TCasesChamps::ToutCoche, this, [this](PageFiche page, bool coche) {
        m_options.CocheTout(page, coche);
        MajCases();
    });
    connect(m_fermer, &QPushButton::clicked, this, &QDialog::accept);

    MajCases();
}

void TSchOpt::Lit(const Reglages& reglages)
{
    m_options.Lit(reglages);
    MajCases();
    m_cases->Pages()->setCurrentIndex(0);
}

void TSchOpt::Ecrit(Reglages& reglages) const
{
    m_options.Ecrit(reglages);
}

QTabWidget* TSchOpt::Pages() const
{
    return m_cases->Pages();
}

QCheckBox* TSchOpt::Case(int champ) const
{
    return m_cases->CaseDe(champ);
}

QPushButton* TSchOpt::ToutSelectionner() const
{
    return m_cases->ToutSelectionner();
}

QPushButton* TSchOpt::ToutDeselectionner() const
{
    return m_cases->ToutDeselectionner();
}

// The options may have been read or changed without the dialog: the boxes follow them.
void TSchOpt::MajCases()
{
    m_cases->MetAJour([this](int c) { return m_options.IsFieldSearched(c); });
}

void TSchOpt::showEvent(QShowEvent* evenement)
{
    MajCases();
    QDialog::showEvent(evenement);
}
