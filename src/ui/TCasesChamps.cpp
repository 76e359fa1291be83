#include "TCasesChamps.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

TCasesChamps::TCasesChamps(const Liste& liste, int largeurMin, QWidget* parent) : QWidget(parent)
{
    m_pages = new QTabWidget(this);
    m_pages->setObjectName(QStringLiteral("Pages"));
    m_pages->setMinimumWidth(largeurMin);
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
        const std::vector<Case> cases = liste(page);
        const int parColonne = static_cast<int>(cases.size() + 1) / 2;
        for (int i = 0; i < static_cast<int>(cases.size()); ++i) {
            const Case& c = cases[static_cast<size_t>(i)];
            auto* coche = new QCheckBox(QString::fromUtf8(c.libelle), feuille);
            coche->setObjectName(QString::fromLatin1(c.nom));
            grille->addWidget(coche, i % parColonne, i / parColonne);
            m_cases[static_cast<size_t>(c.champ)] = coche;
            const int champ = c.champ;
            connect(coche, &QCheckBox::toggled, this,
                    [this, champ](bool etat) { emit Coche(champ, etat); });
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
    m_boutons = new QHBoxLayout;
    m_boutons->addWidget(m_tout);
    m_boutons->addWidget(m_rien);
    m_boutons->addStretch(1);
    auto* colonne = new QVBoxLayout(this);
    colonne->setContentsMargins(0, 0, 0, 0);
    colonne->addWidget(m_pages);
    colonne->addLayout(m_boutons);

    connect(m_tout, &QPushButton::clicked, this, [this] { emit ToutCoche(PageAffichee(), true); });
    connect(m_rien, &QPushButton::clicked, this, [this] { emit ToutCoche(PageAffichee(), false); });
}

QCheckBox* TCasesChamps::CaseDe(int champ) const
{
    return champ >= 0 && champ < NbColonnes ? m_cases[static_cast<size_t>(champ)] : nullptr;
}

PageFiche TCasesChamps::PageAffichee() const
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

void TCasesChamps::MetAJour(const std::function<bool(int)>& coche)
{
    for (int c = 0; c < NbColonnes; ++c)
        if (QCheckBox* boite = m_cases[static_cast<size_t>(c)]) boite->setChecked(coche(c));
}
