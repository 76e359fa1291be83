#include "TAsso.h"

#include "mainwindow/ModeleRepertoire.h"
#include "ui/TitreFiche.h"

#include "TableImport.h"
#include "records/CodePage.h"
#include "ui/TMessage.h"

#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QLocale>
#include <QMouseEvent>
#include <QPushButton>
#include <QShortcut>
#include <QToolButton>
#include <QVBoxLayout>

namespace
{
QLabel* Titre(const QString& texte, const QColor& couleur, QWidget* parent)
{
    auto* titre = new QLabel(texte, parent);
    QFont police = titre->font();
    police.setPointSize(16);
    police.setItalic(true);
    police.setBold(true);
    titre->setFont(police);
    QPalette palette = titre->palette();
    palette.setColor(QPalette::WindowText, couleur);
    titre->setPalette(palette);
    titre->setAlignment(Qt::AlignCenter);
    return titre;
}

QToolButton* Navigation(const char* nom, const char* icone, const char* bulle,
                        const QKeySequence& touches, QWidget* parent)
{
    auto* bouton = new QToolButton(parent);
    bouton->setObjectName(QLatin1String(nom));
    bouton->setIcon(QIcon(QStringLiteral(":/icons/%1.svg").arg(QLatin1String(icone))));
    bouton->setIconSize(QSize(20, 20));
    bouton->setToolTip(QString::fromUtf8(bulle));
    bouton->setAutoRaise(false);
    // The lists take the plain keys; with Ctrl they move the sample line.
    bouton->setShortcut(touches);
    return bouton;
}
} // namespace

TAsso::TAsso(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("Asso"));
    setWindowTitle(
        QString::fromUtf8("Association des champs du répertoire aux champs de la base de données"));
    setModal(true);
    resize(620, 460);

    auto* consigne = new QLabel(QString::fromUtf8("Indiquez pour chaque champ du répertoire à "
                                                  "quel champ de la base de données il doit "
                                                  "correspondre."),
                                this);
    consigne->setWordWrap(true);

    m_listBox1 = new QListWidget(this);
    m_listBox1->setObjectName(QStringLiteral("ListBox1"));
    m_listBox1->installEventFilter(this);
    m_listBox2 = new QListWidget(this);
    m_listBox2->setObjectName(QStringLiteral("ListBox2"));
    m_listBox2->setToolTip(QString::fromUtf8("Clic droit pour désélectionner le champ "));
    m_listBox2->setUniformItemSizes(true);
    m_listBox2->viewport()->installEventFilter(this);
    m_listBox2->installEventFilter(this);

    m_begin = Navigation("BeginBtn", "premiere", "Premier enregistrement",
                         QKeySequence(Qt::CTRL | Qt::Key_Home), this);
    m_rew = Navigation("RewBtn", "precedente", "Enregistrement précédent",
                       QKeySequence(Qt::CTRL | Qt::Key_PageUp), this);
    m_ff = Navigation("FFBtn", "suivante", "Enregistrement suivant",
                      QKeySequence(Qt::CTRL | Qt::Key_PageDown), this);
    m_end = Navigation("EndBtn", "derniere", "Dernier enregistrement",
                       QKeySequence(Qt::CTRL | Qt::Key_End), this);
    m_position = new QLabel(this);
    m_position->setObjectName(QStringLiteral("Position"));
    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("OKBtn"));
    ok->setDefault(true);
    auto* annuler = new QPushButton(QStringLiteral("Annuler"), this);
    annuler->setObjectName(QStringLiteral("CancelBtn"));

    auto* grille = new QGridLayout;
    grille->addWidget(Titre(QString::fromUtf8("Répertoire"), Qt::red, this), 0, 0);
    grille->addWidget(Titre(QString::fromUtf8("Base de données"), Qt::blue, this), 0, 1);
    grille->addWidget(m_listBox1, 1, 0);
    grille->addWidget(m_listBox2, 1, 1);
    grille->setColumnStretch(0, 1);
    grille->setColumnStretch(1, 1);
    auto* boutons = new QHBoxLayout;
    for (QToolButton* b : {m_begin, m_rew, m_ff, m_end})
        boutons->addWidget(b);
    boutons->addSpacing(8);
    boutons->addWidget(m_position);
    boutons->addStretch();
    boutons->addWidget(ok);
    boutons->addWidget(annuler);
    auto* page = new QVBoxLayout(this);
    page->addWidget(consigne);
    page->addLayout(grille, 1);
    page->addLayout(boutons);
    // The keyboard goes from the fields to the columns, then to the buttons.
    setTabOrder(m_listBox1, m_listBox2);
    setTabOrder(m_listBox2, ok);
    setTabOrder(ok, annuler);

    connect(m_listBox1, &QListWidget::itemSelectionChanged, this, [this] {
        if (!m_remplissage) ListBox1Click();
    });
    connect(m_listBox1, &QListWidget::itemClicked, this, [this] { ListBox1Click(); });
    connect(m_listBox2, &QListWidget::itemClicked, this, [this] { ListBox2Click(); });
    // A column chosen by the keyboard (arrows, Space) is chosen as by a click.
    connect(m_listBox2, &QListWidget::itemSelectionChanged, this, [this] {
        if (!m_remplissage && m_listBox2->hasFocus()) ListBox2Click();
    });
    connect(m_begin, &QToolButton::clicked, this, &TAsso::BeginBtnClick);
    connect(m_rew, &QToolButton::clicked, this, &TAsso::RewBtnClick);
    connect(m_ff, &QToolButton::clicked, this, &TAsso::FFBtnClick);
    connect(m_end, &QToolButton::clicked, this, &TAsso::EndBtnClick);
    connect(ok, &QPushButton::clicked, this, &TAsso::OKBtnClick);
    connect(annuler, &QPushButton::clicked, this, &QDialog::reject);
}

void TAsso::Prepare(const std::vector<std::string>& titres, const TableImport& table,
                    const AssociationChamps& initiale)
{
    m_remplissage = true;
    m_table = &table;
    m_grid = initiale;
    m_ligne = table.PremiereFiche();
    m_titresColonnes.clear();
    if (table.LigneTitres())
        for (int c = 0; c < table.NbColonnes(); ++c)
            m_titresColonnes.emplace_back(table.Cellule(c, 0));
    m_listBox1->clear();
    for (const std::string& titre : titres)
        m_listBox1->addItem(TitreFiche::Borne(titre, ModeleRepertoire::LongueurAffichee));
    m_listBox2->clear();
    for (int c = 0; c < table.NbColonnes(); ++c)
        m_listBox2->addItem(QString());
    m_listBox1->setCurrentRow(-1);
    m_listBox2->setCurrentRow(-1);
    m_listBox1->setFocus();
    m_remplissage = false;
    MarqueAssociations();
    MontreEchantillon();
}

QString TAsso::TexteColonne(std::string_view cellule, int colonne, std::string_view titre)
{
    constexpr size_t Max = 200;
    const auto Ligne = [](std::string_view texte) {
        QString s = CodePage::VersUnicode(texte.substr(0, Max));
        s.replace(QStringLiteral("\r\n"), QStringLiteral(" "));
        for (QChar& ch : s)
            if (ch == QLatin1Char('\r') || ch == QLatin1Char('\n') || ch == QLatin1Char('\t'))
                ch = QLatin1Char(' ');
        if (texte.size() > Max) s += QChar(0x2026);
        return s;
    };
    if (!titre.empty())
        return cellule.empty() ? Ligne(titre)
                               : QString::fromUtf8("%1 : %2").arg(Ligne(titre), Ligne(cellule));
    if (cellule.empty()) return QStringLiteral("Champ %1").arg(colonne + 1);
    return Ligne(cellule);
}

int TAsso::ChampChoisi() const
{
    const int champ = m_listBox1->currentRow();
    return champ >= 0 && m_listBox1->item(champ)->isSelected() ? champ : -1;
}

void TAsso::ListBox1Click()
{
    AfficheAssociation();
}

void TAsso::AfficheAssociation()
{
    const int champ = ChampChoisi();
    const int colonne = champ >= 0 ? m_grid.Colonne(champ) : -1;
    m_remplissage = true;
    if (colonne >= 0 && colonne < m_listBox2->count())
        m_listBox2->setCurrentRow(colonne);
    else
        m_listBox2->clearSelection();
    m_remplissage = false;
}

void TAsso::ListBox2Click()
{
    const int champ = ChampChoisi();
    const int colonne = m_listBox2->currentRow();
    if (champ < 0 || colonne < 0) return;
    if (!m_listBox2->item(colonne)->isSelected()) return;
    m_grid.Associe(champ, colonne);
    MarqueAssociations();
}

void TAsso::AssocieColonneCourante()
{
    if (m_listBox2->count() == 0) return;
    const int colonne = std::max(m_listBox2->currentRow(), 0);
    m_remplissage = true;
    m_listBox2->setCurrentRow(colonne);
    m_listBox2->item(colonne)->setSelected(true);
    m_remplissage = false;
    ListBox2Click();
}

void TAsso::MarqueAssociations()
{
    // The fields that already have a column stand out.
    for (int champ = 0; champ < m_listBox1->count() && champ < NbColonnes; ++champ) {
        QListWidgetItem* item = m_listBox1->item(champ);
        QFont police = item->font();
        const bool associe = m_grid.Colonne(champ) >= 0;
        if (police.bold() == associe) continue;
        police.setBold(associe);
        item->setFont(police);
    }
}

void TAsso::ListBox2RightClick()
{
    m_listBox2->clearSelection();
}

bool TAsso::eventFilter(QObject* objet, QEvent* event)
{
    if (objet == m_listBox2->viewport() &&
        (event->type() == QEvent::MouseButtonPress ||
         event->type() == QEvent::MouseButtonDblClick) &&
        static_cast<QMouseEvent*>(event)->button() == Qt::RightButton) {
        ListBox2RightClick();
        return true;
    }
    if ((objet == m_listBox1 || objet == m_listBox2) && event->type() == QEvent::KeyPress) {
        const auto* touche = static_cast<QKeyEvent*>(event);
        const bool entree = touche->key() == Qt::Key_Return || touche->key() == Qt::Key_Enter;
        const bool espace = touche->key() == Qt::Key_Space;
        if (touche->modifiers() & ~Qt::KeypadModifier) return QDialog::eventFilter(objet, event);
        if (objet == m_listBox2 && (entree || espace)) {
            AssocieColonneCourante();
            if (entree && ChampChoisi() >= 0) {
                // On to the next field, as a form goes on to its next entry.
                const int suivant = std::min(ChampChoisi() + 1, m_listBox1->count() - 1);
                m_listBox1->setFocus();
                m_listBox1->setCurrentRow(suivant);
            }
            return true;
        }
        if (objet == m_listBox1 && entree) {
            if (ChampChoisi() < 0 && m_listBox1->currentRow() >= 0)
                m_listBox1->item(m_listBox1->currentRow())->setSelected(true);
            m_listBox2->setFocus();
            return true;
        }
    }
    return QDialog::eventFilter(objet, event);
}

void TAsso::MontreEchantillon()
{
    if (!m_table) return;
    std::vector<std::string_view> cellules(static_cast<size_t>(m_table->NbColonnes()));
    m_table->CellulesLigne(m_ligne, cellules.data());
    for (int c = 0; c < m_listBox2->count(); ++c)
        m_listBox2->item(c)->setText(TexteColonne(cellules[static_cast<size_t>(c)], c,
                                                  static_cast<size_t>(c) < m_titresColonnes.size()
                                                      ? m_titresColonnes[static_cast<size_t>(c)]
                                                      : std::string_view()));
    const QLocale fr(QLocale::French, QLocale::France);
    m_position->setText(QStringLiteral("ligne %1 / %2")
                            .arg(fr.toString(m_ligne - m_table->PremiereFiche() + 1),
                                 fr.toString(m_table->NbFiches())));
    MajBoutons();
}

void TAsso::MajBoutons()
{
    const int premiere = m_table ? m_table->PremiereFiche() : 0;
    const int derniere = m_table ? m_table->NbLignes() - 1 : 0;
    m_begin->setEnabled(m_ligne > premiere);
    m_rew->setEnabled(m_ligne > premiere);
    m_ff->setEnabled(m_ligne < derniere);
    m_end->setEnabled(m_ligne < derniere);
}

void TAsso::BeginBtnClick()
{
    if (m_table) m_ligne = m_table->PremiereFiche();
    MontreEchantillon();
}

void TAsso::RewBtnClick()
{
    if (m_table && m_ligne > m_table->PremiereFiche()) --m_ligne;
    MontreEchantillon();
}

void TAsso::FFBtnClick()
{
    if (m_table && m_ligne < m_table->NbLignes() - 1) ++m_ligne;
    MontreEchantillon();
}

void TAsso::EndBtnClick()
{
    if (m_table) m_ligne = m_table->NbLignes() - 1;
    MontreEchantillon();
}

void TAsso::done(int resultat)
{
    m_table = nullptr;
    QDialog::done(resultat);
}

void TAsso::OKBtnClick()
{
    if (m_grid.Aucune()) {
        TMessage::Avertissement(this, QString::fromUtf8("Vous n'avez défini aucune association."));
        return;
    }
    if (Verifie) {
        const QString raison = Verifie(m_grid);
        if (!raison.isEmpty()) {
            TMessage::Avertissement(this, raison);
            return;
        }
    }
    accept();
}
