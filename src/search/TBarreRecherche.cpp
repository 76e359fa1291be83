#include "TBarreRecherche.h"

#include "OptionsRecherche.h"
#include "TListeHistorique.h"
#include "mainwindow/CibleRecherche.h"
#include "mainwindow/TPagesFiche.h"
#include "ui/CurseurOccupe.h"
#include "ui/TMessage.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>

namespace
{
const QString Section = QStringLiteral("Recherches2");
}

TBarreRecherche::TBarreRecherche(CibleRecherche& cible, const OptionsRecherche& options,
                                 QWidget* parent)
    : QWidget(parent), m_cible(cible), m_options(options)
{
    setObjectName(QStringLiteral("BarreRecherche"));
    setFixedHeight(41);

    m_edit = new QComboBox(this);
    m_edit->setObjectName(QStringLiteral("Edit"));
    TListeHistorique::Prepare(m_edit);
    m_edit->setMaxVisibleItems(16);
    // The keys typed in the box reach the combo box, which hands them to its line
    // edit by a direct call that no filter on the line edit sees: both are watched.
    m_edit->installEventFilter(this);
    m_edit->lineEdit()->installEventFilter(this);

    m_findBtn2 = new QPushButton(QStringLiteral("Chercher"), this);
    m_findBtn2->setObjectName(QStringLiteral("FindBtn2"));
    m_findBtn2->setEnabled(false);
    m_findBtn2->setFocusPolicy(Qt::TabFocus);
    m_prevBtn = new QPushButton(QString::fromUtf8("Précédent"), this);
    m_prevBtn->setObjectName(QStringLiteral("PrevBtn"));
    m_prevBtn->setEnabled(false);
    m_prevBtn->setFocusPolicy(Qt::TabFocus);

    auto* ligne = new QHBoxLayout(this);
    ligne->setContentsMargins(8, 8, 8, 8);
    ligne->setSpacing(6);
    ligne->addWidget(m_edit, 1);
    ligne->addWidget(m_findBtn2);
    ligne->addWidget(m_prevBtn);
    m_findBtn2->setFixedWidth(96);
    m_prevBtn->setFixedWidth(96);

    TListeHistorique::Remplit(m_edit, m_historique);

    connect(m_edit->lineEdit(), &QLineEdit::textEdited, this, &TBarreRecherche::EditChange);
    connect(m_edit, &QComboBox::activated, this, &TBarreRecherche::EditSelect);
    connect(m_findBtn2, &QPushButton::clicked, this, [this] { FindForward(false); });
    connect(m_prevBtn, &QPushButton::clicked, this, &TBarreRecherche::FindBackward);
}

// The box outlives this object's own members while the widget is torn down: it must
// no longer report to it.
TBarreRecherche::~TBarreRecherche()
{
    m_edit->lineEdit()->disconnect(this);
    m_edit->disconnect(this);
}

void TBarreRecherche::Lit(const Reglages& reglages)
{
    m_historique.Lit(reglages, Section);
    TListeHistorique::Remplit(m_edit, m_historique);
}

void TBarreRecherche::Ecrit(Reglages& reglages) const
{
    m_historique.Ecrit(reglages, Section, NbPlaces);
}

// Only the user's own edits arrive here (typing, deleting, pasting, undo), never
// the program's: completing the text must not be taken for a new change.
void TBarreRecherche::EditChange(const QString& texte)
{
    TextChanged(texte, true);
}

// A line picked from the list (Qt also reports it as a change of the box's text,
// which is not listened to): the change, then an explicit search. The picked line
// is searched as it is, not completed into a longer entry.
void TBarreRecherche::EditSelect(int)
{
    TextChanged(m_edit->currentText(), false);
    FindForward(false);
}

void TBarreRecherche::TextChanged(const QString& texte, bool completion)
{
    m_findBtn2->setEnabled(!texte.isEmpty());
    m_chercheur.TexteChange(texte);
    m_findBtn2->setText(m_chercheur.Libelle());
    if (completion && !texte.isEmpty() && !m_suppression) {
        const int i = m_historique.IndexCompletion(texte);
        if (i >= 0) {
            const QString entree = m_historique.Entree(i);
            QLineEdit* ligne = m_edit->lineEdit();
            ligne->setText(entree);
            if (entree.size() > texte.size())
                ligne->setSelection(static_cast<int>(texte.size()),
                                    static_cast<int>(entree.size() - texte.size()));
        }
    }
    m_suppression = false;
    QWidget* fenetre = m_cible.Fenetre();
    if (fenetre && fenetre->isVisible()) FindForward(true);
}

void TBarreRecherche::FindForward(bool auFilDeLaFrappe)
{
    const QString texte = m_edit->currentText();
    Chercheur::Resultat r;
    {
        CurseurOccupe occupe;
        if (!texte.isEmpty() && !auFilDeLaFrappe && m_historique.Insere(texte))
            TListeHistorique::Remplit(m_edit, m_historique);
        r = m_chercheur.ChercheAvant(m_cible.Livre(), m_options, texte);
        if (r.trouve) {
            m_findBtn2->setText(m_chercheur.Libelle());
            if (m_chercheur.Suivant()) m_prevBtn->setEnabled(true);
            m_cible.AllerA(r.colonne, r.ligne);
            if (!m_cible.ListeAffichee()) MontreResultat(texte);
        }
    }
    if (!r.trouve && !auFilDeLaFrappe)
        TMessage::Information(m_cible.Fenetre(), QString::fromUtf8("Texte non trouvé."),
                              QStringLiteral("Information"));
}

void TBarreRecherche::FindBackward()
{
    const QString texte = m_edit->currentText();
    Chercheur::Resultat r;
    {
        CurseurOccupe occupe;
        r = m_chercheur.ChercheArriere(m_cible.Livre(), m_options, texte);
        if (r.trouve) {
            m_cible.AllerA(r.colonne, r.ligne);
            if (!m_cible.ListeAffichee()) MontreResultat(texte);
        }
    }
    if (!r.trouve)
        TMessage::Information(m_cible.Fenetre(), QString::fromUtf8("Texte non trouvé."),
                              QStringLiteral("Information"));
}

// The page of the last matching editor is shown; nothing is selected and the focus
// stays in the box, so the user can go on typing.
void TBarreRecherche::MontreResultat(const QString& texte)
{
    TPagesFiche* pages = m_cible.Pages();
    QTabWidget* onglets = m_cible.PageControl();
    if (!pages || !onglets) return;
    const auto trouves = Chercheur::ChampsTrouves(
        m_options, texte, [pages](int c) { return pages->TexteControle(c); });
    if (trouves.empty()) return;
    // The civility box alone does not choose the page, unless it is the only match.
    int colonne = trouves.front().colonne;
    for (const auto& t : trouves)
        if (t.colonne != Civil) colonne = t.colonne;
    QWidget* page = pages->Page(Champs::Info(colonne).page);
    while (page && onglets->indexOf(page) < 0)
        page = page->parentWidget();
    if (page) onglets->setCurrentWidget(page);
}

bool TBarreRecherche::eventFilter(QObject* objet, QEvent* evenement)
{
    if ((objet == m_edit || objet == m_edit->lineEdit()) && evenement->type() == QEvent::KeyPress) {
        const int touche = static_cast<QKeyEvent*>(evenement)->key();
        if (touche == Qt::Key_Return || touche == Qt::Key_Enter) {
            if (!m_edit->currentText().isEmpty()) FindForward(false);
            return true;
        }
        if (touche == Qt::Key_Backspace || touche == Qt::Key_Delete) m_suppression = true;
    }
    return QWidget::eventFilter(objet, evenement);
}
