#include "TChoix.h"

#include "mainwindow/ModeleRepertoire.h"
#include "ui/TitreFiche.h"

#include "TexteEtiquette.h"
#include "mainwindow/ModeleRepertoire.h"
#include "records/CodePage.h"
#include "ui/CurseurOccupe.h"
#include "ui/TMessage.h"

#include <QHBoxLayout>
#include <QItemSelection>
#include <QListView>
#include <QPushButton>
#include <QStringListModel>
#include <QVBoxLayout>

TChoix::TChoix(ModeleRepertoire& modele, QWidget* parent) : QDialog(parent), m_modele(modele)
{
    setObjectName(QStringLiteral("Choix"));
    setWindowTitle(QStringLiteral("Choix des fiches pour le mailing"));
    setModal(true);

    m_lignes = new QStringListModel(this);
    m_liste = new QListView(this);
    m_liste->setObjectName(QStringLiteral("ListeChoix"));
    m_liste->setModel(m_lignes);
    m_liste->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_liste->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_liste->setUniformItemSizes(true);
    m_liste->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_liste->setFixedSize(560, 320);
    // Lines are measured by the first one only (a large book stays fast), so the
    // sideways scroll covers a fixed four widths of the list.
    m_liste->setGridSize(QSize(4 * m_liste->width(), m_liste->fontMetrics().height() + 3));

    m_tout = new QPushButton(QString::fromUtf8("&Tout sélectionner"), this);
    m_tout->setObjectName(QStringLiteral("ToutSelectionner"));
    m_rien = new QPushButton(QString::fromUtf8("Tout &désélectionner"), this);
    m_rien->setObjectName(QStringLiteral("ToutDeselectionner"));
    m_trier = new QPushButton(QStringLiteral("Trier"), this);
    m_trier->setObjectName(QStringLiteral("Trier"));
    m_trier->setToolTip(QStringLiteral("Trier"));
    m_suivant = new QPushButton(QStringLiteral("&Suivant>"), this);
    m_suivant->setObjectName(QStringLiteral("Suivant"));
    m_suivant->setDefault(true);
    m_annuler = new QPushButton(QStringLiteral("Annuler"), this);
    m_annuler->setObjectName(QStringLiteral("Annuler"));

    auto* boutons = new QHBoxLayout;
    boutons->addWidget(m_tout);
    boutons->addWidget(m_rien);
    boutons->addWidget(m_trier);
    boutons->addStretch();
    boutons->addWidget(m_suivant);
    boutons->addWidget(m_annuler);
    auto* colonne = new QVBoxLayout(this);
    colonne->addWidget(m_liste);
    colonne->addLayout(boutons);
    colonne->setSizeConstraint(QLayout::SetFixedSize);

    connect(m_liste->selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] {
        MajTitre();
        MarqueModifie();
    });
    connect(m_tout, &QPushButton::clicked, this, &TChoix::Tout1Click);
    connect(m_rien, &QPushButton::clicked, this, &TChoix::Rien1Click);
    connect(m_trier, &QPushButton::clicked, this, &TChoix::Trier1Click);
    connect(m_suivant, &QPushButton::clicked, this, &TChoix::Suivant1Click);
    connect(m_annuler, &QPushButton::clicked, this, &QDialog::reject);
    // Enter goes on with the wizard whichever button was clicked last.
    for (QPushButton* b : findChildren<QPushButton*>())
        b->setAutoDefault(b == m_suivant);
}

QString TChoix::Titre(int selectionnes)
{
    const QString debut = QStringLiteral("Choix des étiquettes pour le mailing  (");
    if (selectionnes == 0) return debut + QString::fromUtf8("aucune étiquette sélectionnée)");
    if (selectionnes == 1) return debut + QString::fromUtf8("1 étiquette sélectionnée)");
    return debut + QString::fromUtf8("%1 étiquettes sélectionnées)").arg(selectionnes);
}

void TChoix::Remplit()
{
    CurseurOccupe occupe;
    const Repertoire& rep = m_modele.Rep();
    QStringList lignes;
    lignes.reserve(rep.NbFiches());
    for (int r = 1; r <= rep.NbFiches(); ++r)
        lignes << TitreFiche::Borne(TexteEtiquette::LigneChoix(rep, r),
                                    ModeleRepertoire::LongueurAffichee);
    const QSignalBlocker bloque(m_liste->selectionModel());
    m_lignes->setStringList(lignes);
    // Runs of chosen records become one range each: fast on a large book.
    QItemSelection selection;
    int premier = -1;
    for (int r = 1; r <= rep.NbFiches() + 1; ++r) {
        const bool choisie = r <= rep.NbFiches() && rep.EstChoisie(r);
        if (choisie && premier < 0) premier = r;
        if (!choisie && premier >= 0) {
            selection.select(m_lignes->index(premier - 1), m_lignes->index(r - 2));
            premier = -1;
        }
    }
    m_liste->selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect);
    const QModelIndex haut =
        selection.isEmpty() ? m_lignes->index(0) : QModelIndex(selection.first().topLeft());
    m_liste->selectionModel()->setCurrentIndex(haut, QItemSelectionModel::NoUpdate);
    m_liste->scrollTo(haut, QAbstractItemView::PositionAtTop);
    MajTitre();
}

int TChoix::NombreSelectionnes() const
{
    int n = 0;
    for (const QItemSelectionRange& r : m_liste->selectionModel()->selection())
        n += r.height();
    return n;
}

void TChoix::MajTitre()
{
    setWindowTitle(Titre(NombreSelectionnes()));
}

int TChoix::Applique()
{
    CurseurOccupe occupe;
    const Repertoire& rep = m_modele.Rep();
    std::vector<char> choisies(static_cast<size_t>(rep.NbFiches()) + 1, 0);
    for (const QItemSelectionRange& r : m_liste->selectionModel()->selection())
        for (int l = r.top(); l <= r.bottom(); ++l)
            choisies[static_cast<size_t>(l) + 1] = 1;
    int nombre = 0;
    for (int r = 1; r <= rep.NbFiches(); ++r) {
        nombre += choisies[static_cast<size_t>(r)];
        m_modele.SetFlagMail(r, choisies[static_cast<size_t>(r)] ? "1" : "0");
    }
    return nombre;
}

void TChoix::Tout1Click()
{
    if (m_lignes->rowCount() > 0)
        m_liste->selectionModel()->select(
            QItemSelection(m_lignes->index(0), m_lignes->index(m_lignes->rowCount() - 1)),
            QItemSelectionModel::ClearAndSelect);
    m_liste->scrollToTop();
    MarqueModifie();
}

void TChoix::Rien1Click()
{
    m_liste->clearSelection();
    MajTitre();
    MarqueModifie();
}

// A change of the choice counts as a change of the book, as the flags it leads to do.
void TChoix::MarqueModifie()
{
    m_modele.Rep().SetModifie(true);
}

void TChoix::Trier1Click()
{
    if (Trier && Trier()) Remplit();
}

void TChoix::Suivant1Click()
{
    if (NombreSelectionnes() == 0) {
        TMessage::Information(this, QString::fromUtf8("Vous n'avez choisi aucune étiquette !"),
                              QStringLiteral("Attention"));
        return;
    }
    accept();
}
