#include "TSchOpt.h"

#include "OptionsRecherche.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

TSchOpt::TSchOpt(OptionsRecherche& options, QWidget* parent) : QDialog(parent), m_options(options)
{
    setObjectName(QStringLiteral("SchOpt"));
    setWindowTitle(QStringLiteral("Rechercher uniquement dans les champs :"));
    setModal(true);

    m_pages = new QTabWidget(this);
    m_pages->setObjectName(QStringLiteral("Pages"));
    // Wide enough for the caption to show whole in the title bar.
    m_pages->setMinimumWidth(420);
    const std::array<std::pair<PageFiche, const char*>, 3> pages = {{
        {PageFiche::Prive, "Privé"},
        {PageFiche::Professionnel, "Professionnel"},
        {PageFiche::Banque, "Banque"},
    }};
    for (const auto& [page, titre] : pages) {
        auto* feuille = new QWidget;
        auto* grille = new QGridLayout(feuille);
        grille->setContentsMargins(16, 12, 16, 12);
        grille->setHorizontalSpacing(32);
        grille->setVerticalSpacing(6);
        const std::vector<int> champs = OptionsRecherche::ChampsDeLaPage(page);
        const int parColonne = static_cast<int>(champs.size() + 1) / 2;
        for (int i = 0; i < static_cast<int>(champs.size()); ++i) {
            const int champ = champs[static_cast<size_t>(i)];
            const OptionsRecherche::Option* info = OptionsRecherche::InfoChamp(champ);
            auto* coche = new QCheckBox(QString::fromUtf8(info->libelle), feuille);
            coche->setObjectName(QString::fromLatin1(info->cle));
            grille->addWidget(coche, i % parColonne, i / parColonne);
            m_cases[static_cast<size_t>(champ)] = coche;
            connect(coche, &QCheckBox::toggled, this,
                    [this, champ](bool etat) { m_options.SetCoche(champ, etat); });
        }
        grille->setRowStretch(parColonne, 1);
        grille->setColumnStretch(0, 1);
        grille->setColumnStretch(1, 1);
        m_pages->addTab(feuille, QString::fromUtf8(titre));
    }

    m_tout = new QPushButton(QString::fromUtf8("Tout sélectionner"), this);
    m_tout->setObjectName(QStringLiteral("ToutSelectionner"));
    m_rien = new QPushButton(QString::fromUtf8("Tout désélectionner"), this);
    m_rien->setObjectName(QStringLiteral("ToutDeselectionner"));
    m_fermer = new QPushButton(QStringLiteral("&Fermer"), this);
    m_fermer->setObjectName(QStringLiteral("Fermer"));
    m_fermer->setDefault(true);

    auto* boutons = new QHBoxLayout;
    boutons->addWidget(m_tout);
    boutons->addWidget(m_rien);
    boutons->addStretch(1);
    boutons->addWidget(m_fermer);
    auto* colonne = new QVBoxLayout(this);
    colonne->addWidget(m_pages);
    colonne->addLayout(boutons);
    colonne->setSizeConstraint(QLayout::SetFixedSize);

    connect(m_tout, &QPushButton::clicked, this, [this] { CocheTout(true); });
    connect(m_rien, &QPushButton::clicked, this, [this] { CocheTout(false); });
    connect(m_fermer, &QPushButton::clicked, this, &QDialog::accept);

    MajCases();
}

void TSchOpt::Lit(const Reglages& reglages)
{
    m_options.Lit(reglages);
    MajCases();
    m_pages->setCurrentIndex(0);
}

void TSchOpt::Ecrit(Reglages& reglages) const
{
    m_options.Ecrit(reglages);
}

QCheckBox* TSchOpt::Case(int champ) const
{
    return champ >= 0 && champ < NbColonnes ? m_cases[static_cast<size_t>(champ)] : nullptr;
}

PageFiche TSchOpt::PageAffichee() const
{
    switch (m_pages->currentIndex()) {
    case 1:
        return PageFiche::Professionnel;
    case 2:
        return PageFiche::Banque;
    default:
        return PageFiche::Prive;
    }
}

void TSchOpt::CocheTout(bool coche)
{
    m_options.CocheTout(PageAffichee(), coche);
    MajCases();
}

// The options may have been read or changed without the dialog: the boxes follow them.
void TSchOpt::MajCases()
{
    for (int c = 0; c < NbColonnes; ++c)
        if (QCheckBox* coche = m_cases[static_cast<size_t>(c)])
            coche->setChecked(m_options.IsFieldSearched(c));
}

void TSchOpt::showEvent(QShowEvent* evenement)
{
    MajCases();
    QDialog::showEvent(evenement);
}
