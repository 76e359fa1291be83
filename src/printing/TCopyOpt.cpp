#include "TCopyOpt.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

TCopyOpt::TCopyOpt(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("CopyOpt"));
    setWindowTitle(QStringLiteral("Copier les champs :"));
    setModal(true);

    m_pages = new QTabWidget(this);
    m_pages->setObjectName(QStringLiteral("Pages"));
    m_pages->setMinimumWidth(360);
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
        const std::vector<int>& champs = OptionsCopie::ChampsDeLaPage(page);
        const int parColonne = static_cast<int>(champs.size() + 1) / 2;
        for (int i = 0; i < static_cast<int>(champs.size()); ++i) {
            const int champ = champs[static_cast<size_t>(i)];
            auto* coche =
                new QCheckBox(QString::fromUtf8(OptionsCopie::InfoChamp(champ)->libelle), feuille);
            coche->setObjectName(QString::fromLatin1(Champs::Info(champ).cle));
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
    m_ok = new QPushButton(QStringLiteral("OK"), this);
    m_ok->setObjectName(QStringLiteral("OK"));
    m_ok->setDefault(true);
    m_annuler = new QPushButton(QStringLiteral("Annuler"), this);
    m_annuler->setObjectName(QStringLiteral("Annuler"));

    auto* boutons = new QHBoxLayout;
    boutons->addWidget(m_tout);
    boutons->addWidget(m_rien);
    boutons->addStretch(1);
    boutons->addWidget(m_ok);
    boutons->addWidget(m_annuler);
    auto* colonne = new QVBoxLayout(this);
    colonne->addWidget(m_pages);
    colonne->addLayout(boutons);
    colonne->setSizeConstraint(QLayout::SetFixedSize);

    connect(m_tout, &QPushButton::clicked, this, [this] { CocheTout(true); });
    connect(m_rien, &QPushButton::clicked, this, [this] { CocheTout(false); });
    connect(m_ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_annuler, &QPushButton::clicked, this, &QDialog::reject);

    MajCases();
}

void TCopyOpt::Lit(const Reglages& reglages)
{
    m_options.Lit(reglages);
    MajCases();
    m_pages->setCurrentIndex(0);
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

QCheckBox* TCopyOpt::Case(int champ) const
{
    return champ >= 0 && champ < OptionsCopie::NbOptions ? m_cases[static_cast<size_t>(champ)]
                                                         : nullptr;
}

void TCopyOpt::CocheTout(bool coche)
{
    const int index = m_pages->currentIndex();
    const PageFiche page = index == 1   ? PageFiche::Professionnel
                           : index == 2 ? PageFiche::Banque
                                        : PageFiche::Prive;
    m_options.CocheTout(page, coche);
    MajCases();
}

void TCopyOpt::MajCases()
{
    for (int c = 0; c < OptionsCopie::NbOptions; ++c)
        if (QCheckBox* coche = m_cases[static_cast<size_t>(c)])
            coche->setChecked(m_options.Coche(c));
}
