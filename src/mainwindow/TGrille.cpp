#include "TGrille.h"

#include "mainwindow/MesureColonne.h"
#include "mainwindow/ModeleRepertoire.h"
#include "mainwindow/TDelegueCellule.h"
#include "ui/ValidateurCp1252.h"

#include <QApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScrollBar>
#include <QToolTip>

namespace
{
// The busy cursor for the lifetime of a long operation, also when it fails.
struct Sablier {
    Sablier() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~Sablier() { QApplication::restoreOverrideCursor(); }
    Sablier(const Sablier&) = delete;
    Sablier& operator=(const Sablier&) = delete;
};
} // namespace

struct TGrille::Prive {
    ModeleRepertoire* modele = nullptr;
    std::function<QDate()> horloge;
    int ligneEnHaut = 0; // waiting for the grid to be shown
    bool ajustement = false;
    QMetaObject::Connection courant;
    QMetaObject::Connection reinitialise;
};

TGrille::TGrille(QWidget* parent) : QTableView(parent), d(new Prive)
{
    setObjectName(QStringLiteral("Grille"));
    setTextElideMode(Qt::ElideNone);
    SetHorloge(nullptr);
    setFont(QFont(QStringLiteral("MS Sans Serif"), 8));
    setShowGrid(true);
    setWordWrap(false);
    setSelectionMode(QAbstractItemView::ContiguousSelection);
    setSelectionBehavior(QAbstractItemView::SelectItems);
    setEditTriggers(QAbstractItemView::AnyKeyPressed | QAbstractItemView::DoubleClicked |
                    QAbstractItemView::EditKeyPressed);
    setTabKeyNavigation(true);
    setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerItem);
    horizontalScrollBar()->setTracking(true);
    verticalScrollBar()->setTracking(true);

    QHeaderView* v = verticalHeader();
    v->hide();
    v->setMinimumSectionSize(1);
    v->setSectionResizeMode(QHeaderView::Fixed);
    v->setDefaultSectionSize(16);

    QHeaderView* h = horizontalHeader();
    h->setMinimumSectionSize(1);
    h->setDefaultSectionSize(50);
    h->setSectionResizeMode(QHeaderView::Interactive);
    h->setStretchLastSection(false);
    h->setSectionsMovable(false);
    // A click on a title fits the column; it does not select it.
    h->setSectionsClickable(false);
    h->setHighlightSections(false);
    h->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    h->viewport()->installEventFilter(this);

    auto* delegue = new TDelegueCellule(this);
    setItemDelegate(delegue);
    connect(delegue, &TDelegueCellule::CaractereRefuse, this,
            [this](QWidget* editeur, const QString& c) {
                QToolTip::showText(editeur->mapToGlobal(QPoint(0, editeur->height())),
                                   ValidateurCp1252::MessageRefus(c), editeur);
                emit CaractereRefuse(c);
            });

    connect(horizontalScrollBar(), &QScrollBar::valueChanged, this, [this] { AjusteColonnes(); });
    connect(verticalScrollBar(), &QScrollBar::valueChanged, this, [this] { AjusteColonnes(); });
}

TGrille::~TGrille()
{
    delete d;
}

void TGrille::SetModele(ModeleRepertoire* modele)
{
    disconnect(d->courant);
    disconnect(d->reinitialise);
    d->modele = modele;
    setModel(modele);
    if (!modele) return;
    d->courant =
        connect(selectionModel(), &QItemSelectionModel::currentChanged, this,
                [this](const QModelIndex& courant) {
                    if (courant.isValid())
                        emit CelluleCouranteChangee(courant.column(),
                                                    ModeleRepertoire::LigneDuLivre(courant.row()));
                });
    // After a load or New the view has no current cell: it starts at the first one.
    d->reinitialise = connect(modele, &QAbstractItemModel::modelReset, this, [this] {
        if (!currentIndex().isValid() && d->modele->rowCount() > 0) SetCelluleCourante(0, 1);
    });
    if (modele->rowCount() > 0) SetCelluleCourante(0, 1);
}

int TGrille::LigneCourante() const
{
    const QModelIndex i = currentIndex();
    return i.isValid() ? ModeleRepertoire::LigneDuLivre(i.row()) : 1;
}

int TGrille::ColonneCourante() const
{
    const QModelIndex i = currentIndex();
    return i.isValid() ? i.column() : 0;
}

void TGrille::SetCelluleCourante(int colonne, int ligne)
{
    if (!d->modele) return;
    const QModelIndex i = d->modele->index(ModeleRepertoire::LigneDuModele(ligne), colonne);
    if (i.isValid()) setCurrentIndex(i);
}

std::pair<int, int> TGrille::LignesSelectionnees() const
{
    const int courante = LigneCourante();
    if (!selectionModel()) return {courante, courante};
    const QItemSelection selection = selectionModel()->selection();
    int haut = -1;
    int bas = -1;
    for (const QItemSelectionRange& r : selection) {
        if (!r.isValid()) continue;
        if (haut < 0 || r.top() < haut) haut = r.top();
        if (r.bottom() > bas) bas = r.bottom();
    }
    if (haut < 0) return {courante, courante};
    return {ModeleRepertoire::LigneDuLivre(haut), ModeleRepertoire::LigneDuLivre(bas)};
}

void TGrille::AjusteColonnes()
{
    if (!d->modele || d->ajustement) return;
    d->ajustement = true;
    // Columns narrowed while scrolled: let the scroll range follow first.
    if (columnAt(0) < 0) updateGeometries();
    d->ajustement = false;
    const int premiere = columnAt(0);
    const int derniere = d->modele->columnCount() - 1;
    if (premiere < 0 || derniere < 0) return;
    QHeaderView* h = horizontalHeader();
    int somme = 0;
    for (int c = premiere; c <= derniere; ++c)
        if (!h->isSectionHidden(c)) somme += h->sectionSize(c);
    const int manque = viewport()->width() - somme;
    if (manque > 0) {
        d->ajustement = true;
        h->resizeSection(derniere, h->sectionSize(derniere) + manque);
        d->ajustement = false;
    }
}

void TGrille::AjusteColonne(int colonne, bool toutesLignes)
{
    if (!d->modele || colonne < 0 || colonne >= d->modele->columnCount()) return;
    Sablier sablier;
    MesureColonne mesure(font());
    const Repertoire& rep = d->modele->Rep();
    const int largeur =
        toutesLignes ? mesure.LargeurMax(rep, colonne) : mesure.Largeur(rep.Cellule(colonne, 0));
    horizontalHeader()->resizeSection(colonne, largeur);
}

void TGrille::MontreLigneEnHaut(int ligne)
{
    if (!d->modele || ligne < 1 || ligne > d->modele->rowCount()) return;
    d->ligneEnHaut = ligne;
    if (isVisible()) AppliqueLigneEnHaut();
}

void TGrille::AppliqueLigneEnHaut()
{
    if (!d->modele || d->ligneEnHaut < 1 || d->ligneEnHaut > d->modele->rowCount()) {
        d->ligneEnHaut = 0;
        return;
    }
    executeDelayedItemsLayout();
    updateGeometries();
    verticalScrollBar()->setValue(
        verticalHeader()->visualIndex(ModeleRepertoire::LigneDuModele(d->ligneEnHaut)));
    d->ligneEnHaut = 0;
}

QColor TGrille::Couleur() const
{
    return palette().color(QPalette::Base);
}

void TGrille::SetCouleur(const QColor& couleur)
{
    QPalette pal = palette();
    pal.setColor(QPalette::Base, couleur);
    setPalette(pal);
}

void TGrille::SetHorloge(std::function<QDate()> horloge)
{
    d->horloge = horloge ? std::move(horloge) : [] { return QDate::currentDate(); };
}

void TGrille::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_F12 && event->modifiers() == Qt::NoModifier && d->modele &&
        state() != QAbstractItemView::EditingState) {
        event->accept();
        const int colonne = ColonneCourante();
        if (!Champs::EstNotes(colonne)) return;
        const int ligne = LigneCourante();
        std::string texte(d->modele->Rep().Cellule(colonne, ligne));
        texte += d->horloge().toString(QStringLiteral("dd/MM/yyyy")).toStdString();
        // Through the model, so the book is marked modified and the pages follow.
        d->modele->SetCellule(colonne, ligne, texte);
        return;
    }
    QTableView::keyPressEvent(event);
}

void TGrille::mouseReleaseEvent(QMouseEvent* event)
{
    QTableView::mouseReleaseEvent(event);
    AjusteColonnes();
}

void TGrille::resizeEvent(QResizeEvent* event)
{
    QTableView::resizeEvent(event);
    AjusteColonnes();
}

void TGrille::showEvent(QShowEvent* event)
{
    QTableView::showEvent(event);
    if (d->ligneEnHaut > 0) AppliqueLigneEnHaut();
}

bool TGrille::SurBordureEntete(int x) const
{
    const QHeaderView* h = horizontalHeader();
    const int visuel = h->visualIndexAt(x);
    if (visuel < 0) return false;
    const int logique = h->logicalIndex(visuel);
    const int marge = h->style()->pixelMetric(QStyle::PM_HeaderGripMargin, nullptr, h);
    const int debut = h->sectionViewportPosition(logique);
    const int fin = debut + h->sectionSize(logique);
    return (visuel > 0 && x < debut + marge) || x > fin - marge;
}

bool TGrille::eventFilter(QObject* objet, QEvent* event)
{
    if (objet == horizontalHeader()->viewport() && event->type() == QEvent::MouseButtonPress) {
        auto* souris = static_cast<QMouseEvent*>(event);
        const int x = souris->position().toPoint().x();
        const int colonne = horizontalHeader()->logicalIndexAt(x);
        // A press on a border starts the user's resizing instead.
        if (colonne >= 0 && !SurBordureEntete(x)) {
            if (souris->button() == Qt::LeftButton)
                AjusteColonne(colonne, true);
            else if (souris->button() == Qt::RightButton)
                AjusteColonne(colonne, false);
        }
    }
    if (objet == horizontalHeader()->viewport() && event->type() == QEvent::MouseButtonRelease)
        AjusteColonnes();
    return QTableView::eventFilter(objet, event);
}
