#include "TFind.h"

#include "OptionsRecherche.h"
#include "TListeHistorique.h"
#include "mainwindow/CibleRecherche.h"
#include "mainwindow/TPagesFiche.h"
#include "ui/CurseurOccupe.h"
#include "ui/TMessage.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTextCursor>
#include <algorithm>

namespace
{
const QString Section = QStringLiteral("Recherches");
constexpr int NbCles = 100;

// Selects `longueur` characters from `position` in a field editor.
void Selectionne(QWidget* editeur, int position, int longueur)
{
    if (auto* ligne = qobject_cast<QLineEdit*>(editeur)) {
        ligne->setSelection(position, longueur);
    } else if (auto* liste = qobject_cast<QComboBox*>(editeur)) {
        if (liste->lineEdit()) liste->lineEdit()->setSelection(position, longueur);
    } else if (auto* memo = qobject_cast<QPlainTextEdit*>(editeur)) {
        QTextCursor curseur = memo->textCursor();
        curseur.setPosition(position);
        curseur.setPosition(position + longueur, QTextCursor::KeepAnchor);
        memo->setTextCursor(curseur);
    }
}

void MontrePage(QTabWidget* onglets, QWidget* page)
{
    while (page && onglets->indexOf(page) < 0)
        page = page->parentWidget();
    if (page) onglets->setCurrentWidget(page);
}
} // namespace

TFind::TFind(CibleRecherche& cible, const OptionsRecherche& options, QWidget* parent)
    : QDialog(parent), m_cible(cible), m_options(options)
{
    setObjectName(QStringLiteral("Find"));
    setWindowTitle(QStringLiteral("Chercher :"));
    // A tool window stays above its main window without staying above other programs.
    setWindowFlags(Qt::Tool | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setModal(false);

    m_edit = new QComboBox(this);
    m_edit->setObjectName(QStringLiteral("Edit"));
    TListeHistorique::Prepare(m_edit);
    m_edit->setMaxVisibleItems(NbPlaces);
    m_edit->setMinimumWidth(260);

    m_findBtn = new QPushButton(QStringLiteral("Chercher"), this);
    m_findBtn->setObjectName(QStringLiteral("FindBtn"));
    m_findBtn->setDefault(true);
    m_findBtn->setEnabled(false);
    m_cancelBtn = new QPushButton(QStringLiteral("Annuler"), this);
    m_cancelBtn->setObjectName(QStringLiteral("CancelBtn"));

    auto* grille = new QGridLayout(this);
    grille->setContentsMargins(10, 10, 10, 10);
    grille->setHorizontalSpacing(10);
    grille->addWidget(m_edit, 0, 0, Qt::AlignTop);
    grille->addWidget(m_findBtn, 0, 1);
    grille->addWidget(m_cancelBtn, 1, 1);
    grille->setSizeConstraint(QLayout::SetFixedSize);
    m_findBtn->setMinimumWidth(90);
    m_cancelBtn->setMinimumWidth(90);

    TListeHistorique::Remplit(m_edit, m_historique);

    connect(m_edit->lineEdit(), &QLineEdit::textEdited, this, &TFind::EditChange);
    connect(m_edit, &QComboBox::activated, this, &TFind::EditSelect);
    connect(m_findBtn, &QPushButton::clicked, this, &TFind::FindForward);
    connect(m_cancelBtn, &QPushButton::clicked, this, &QDialog::reject);
}

// The box outlives this object's own members while the widget is torn down: it must
// no longer report to it.
TFind::~TFind()
{
    m_edit->lineEdit()->disconnect(this);
    m_edit->disconnect(this);
}

void TFind::Lit(const Reglages& reglages)
{
    m_historique.Lit(reglages, Section);
    TListeHistorique::Remplit(m_edit, m_historique);
}

void TFind::Ecrit(Reglages& reglages) const
{
    m_historique.Ecrit(reglages, Section, NbCles);
}

void TFind::Ouvre()
{
    show();
    raise();
    activateWindow();
    m_edit->setFocus();
}

void TFind::EditChange(const QString& texte)
{
    m_findBtn->setEnabled(!texte.isEmpty());
    m_chercheur.TexteChange(texte);
    m_findBtn->setText(m_chercheur.Libelle());
}

// A line picked from the list (Qt also reports it as a change of the text, which is
// not listened to): the change, then the search.
void TFind::EditSelect(int)
{
    EditChange(m_edit->currentText());
    FindForward();
}

void TFind::FindForward()
{
    const QString texte = m_edit->currentText();
    Chercheur::Resultat r;
    {
        CurseurOccupe occupe;
        if (!texte.isEmpty() && m_historique.Insere(texte))
            TListeHistorique::Remplit(m_edit, m_historique);
        r = m_chercheur.ChercheAvant(m_cible.Livre(), m_options, texte);
        if (r.trouve) {
            m_findBtn->setText(m_chercheur.Libelle());
            m_cible.AllerA(r.colonne, r.ligne);
            if (!m_cible.ListeAffichee()) MontreResultat(texte);
        }
    }
    if (!r.trouve) {
        TMessage::Information(this, QString::fromUtf8("Texte non trouvé."),
                              QStringLiteral("Information"));
        m_chercheur.Abandonne();
        m_findBtn->setText(m_chercheur.Libelle());
        // The window manager gives the focus back to the main window when the box
        // closes: the user goes on typing here.
        raise();
        activateWindow();
        m_edit->setFocus();
    }
}

// The main window comes to the front; every matching editor in turn shows its page,
// takes the focus and has the first occurrence selected, so the last one keeps them.
// The civility box gets its selection without taking the page or the focus, unless
// it is the only match: then its page is shown all the same.
void TFind::MontreResultat(const QString& texte)
{
    if (QWidget* fenetre = m_cible.Fenetre()) {
        fenetre->raise();
        fenetre->activateWindow();
    }
    TPagesFiche* pages = m_cible.Pages();
    QTabWidget* onglets = m_cible.PageControl();
    if (!pages || !onglets) return;
    std::vector<std::string> textes(NbColonnes);
    const auto trouves = Chercheur::ChampsTrouves(m_options, texte, [&](int c) {
        textes[static_cast<size_t>(c)] = pages->TexteControle(c);
        return textes[static_cast<size_t>(c)];
    });
    const bool civiliteSeule = trouves.size() == 1 && trouves.front().colonne == Civil;
    const int longueur = static_cast<int>(texte.size());
    for (const auto& t : trouves) {
        QWidget* editeur = pages->Controle(t.colonne);
        if (!editeur) continue;
        // The editors show line breaks as one character where the cell holds CR LF.
        const std::string& cellule = textes[static_cast<size_t>(t.colonne)];
        const auto retours = std::count(cellule.begin(), cellule.begin() + t.position, '\r');
        const int position = static_cast<int>(t.position - retours);
        if (t.colonne != Civil || civiliteSeule) {
            MontrePage(onglets, pages->Page(Champs::Info(t.colonne).page));
            editeur->setFocus();
        }
        Selectionne(editeur, position, longueur);
    }
}

void TFind::done(int resultat)
{
    m_chercheur.Abandonne();
    m_findBtn->setText(m_chercheur.Libelle());
    QDialog::done(resultat);
}

bool TFind::event(QEvent* evenement)
{
    if (evenement->type() == QEvent::WindowActivate) m_edit->setFocus();
    return QDialog::event(evenement);
}
