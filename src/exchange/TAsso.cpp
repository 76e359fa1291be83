#include "TAsso.h"

#include "mainwindow/ModeleRepertoire.h"
#include "mainwindow/TitreFiche.h"

#include "TableImport.h"
#include "mainwindow/TMessage.h"
#include "records/CodePage.h"

#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QMouseEvent>
#include <QPushButton>
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

QToolButton* Navigation(const char* nom, const char* icone, const char* bulle, QWidget* parent)
{
    auto* bouton = new QToolButton(parent);
    bouton->setObjectName(QLatin1String(nom));
    bouton->setIcon(QIcon(QStringLiteral(":/icons/%1.svg").arg(QLatin1String(icone))));
    bouton->setIconSize(QSize(20, 20));
    bouton->setToolTip(QString::fromUtf8(bulle));
    bouton->setAutoRaise(false);
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
    m_listBox2 = new QListWidget(this);
    m_listBox2->setObjectName(QStringLiteral("ListBox2"));
    m_listBox2->setToolTip(QString::fromUtf8("Clic droit pour désélectionner le champ "));
    m_listBox2->setUniformItemSizes(true);
    m_listBox2->viewport()->installEventFilter(this);

    m_begin = Navigation("BeginBtn", "premiere", "Premier enregistrement", this);
    m_rew = Navigation("RewBtn", "precedente", "Enregistrement précédent", this);
    m_ff = Navigation("FFBtn", "suivante", "Enregistrement suivant", this);
    m_end = Navigation("EndBtn", "derniere", "Dernier enregistrement", this);
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
    boutons->addStretch();
    boutons->addWidget(ok);
    boutons->addWidget(annuler);
    auto* page = new QVBoxLayout(this);
    page->addWidget(consigne);
    page->addLayout(grille, 1);
    page->addLayout(boutons);

    connect(m_listBox1, &QListWidget::itemClicked, this, [this] { ListBox1Click(); });
    connect(m_listBox1, &QListWidget::currentRowChanged, this, [this] {
        if (!m_remplissage) ListBox1Click();
    });
    connect(m_listBox2, &QListWidget::itemClicked, this, [this] { ListBox2Click(); });
    // Arrow keys in the column list choose as clicks do.
    connect(m_listBox2, &QListWidget::currentRowChanged, this, [this] {
        if (!m_remplissage && m_listBox2->hasFocus()) ListBox2Click();
    });
    connect(m_begin, &QToolButton::clicked, this, &TAsso::BeginBtnClick);
    connect(m_rew, &QToolButton::clicked, this, &TAsso::RewBtnClick);
    connect(m_ff, &QToolButton::clicked, this, &TAsso::FFBtnClick);
    connect(m_end, &QToolButton::clicked, this, &TAsso::EndBtnClick);
    connect(ok, &QPushButton::clicked, this, &TAsso::OKBtnClick);
    connect(annuler, &QPushButton::clicked, this, &QDialog::reject);
}

void TAsso::Prepare(const std::vector<std::string>& titres, const TableImport& table)
{
    m_remplissage = true;
    m_table = &table;
    m_grid.Efface();
    m_ligne = 0;
    m_listBox1->clear();
    for (const std::string& titre : titres)
        m_listBox1->addItem(TitreFiche::Borne(titre, ModeleRepertoire::LongueurAffichee));
    m_listBox2->clear();
    for (int c = 0; c < table.NbColonnes(); ++c)
        m_listBox2->addItem(TexteColonne(table.Cellule(c, 0), c));
    m_listBox1->setCurrentRow(-1);
    m_listBox2->setCurrentRow(-1);
    m_listBox1->setFocus();
    m_remplissage = false;
    MajBoutons();
}

QString TAsso::TexteColonne(std::string_view cellule, int colonne)
{
    if (cellule.empty()) return QStringLiteral("Champ %1").arg(colonne + 1);
    constexpr size_t Max = 200;
    QString texte = CodePage::VersUnicode(cellule.substr(0, Max));
    for (QChar& ch : texte)
        if (ch == QLatin1Char('\r') || ch == QLatin1Char('\n') || ch == QLatin1Char('\t'))
            ch = QLatin1Char(' ');
    if (cellule.size() > Max) texte += QChar(0x2026);
    return texte;
}

void TAsso::ListBox1Click()
{
    AfficheAssociation();
}

void TAsso::AfficheAssociation()
{
    const int champ = m_listBox1->currentRow();
    const bool choisi = champ >= 0 && m_listBox1->item(champ)->isSelected();
    const int colonne = choisi ? m_grid.Colonne(champ) : -1;
    m_remplissage = true;
    if (colonne >= 0 && colonne < m_listBox2->count())
        m_listBox2->setCurrentRow(colonne);
    else
        m_listBox2->clearSelection();
    m_remplissage = false;
}

void TAsso::ListBox2Click()
{
    const int champ = m_listBox1->currentRow();
    const int colonne = m_listBox2->currentRow();
    if (champ < 0 || !m_listBox1->item(champ)->isSelected() || colonne < 0) return;
    if (!m_listBox2->item(colonne)->isSelected()) return;
    m_grid.Associe(champ, colonne);
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
    return QDialog::eventFilter(objet, event);
}

void TAsso::MontreEchantillon()
{
    if (!m_table) return;
    for (int c = 0; c < m_listBox2->count(); ++c)
        m_listBox2->item(c)->setText(TexteColonne(m_table->Cellule(c, m_ligne), c));
    MajBoutons();
}

void TAsso::MajBoutons()
{
    const int derniere = m_table ? m_table->NbLignes() - 1 : 0;
    m_begin->setEnabled(m_ligne > 0);
    m_rew->setEnabled(m_ligne > 0);
    m_ff->setEnabled(m_ligne < derniere);
    m_end->setEnabled(m_ligne < derniere);
}

void TAsso::BeginBtnClick()
{
    m_ligne = 0;
    MontreEchantillon();
}

void TAsso::RewBtnClick()
{
    if (m_ligne > 0) --m_ligne;
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
    accept();
}
