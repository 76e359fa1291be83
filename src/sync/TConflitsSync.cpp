#include "TConflitsSync.h"

#include "records/Champs.h"
#include "records/CodePage.h"
#include "sync/FusionFiche.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>
#include <set>

namespace
{

QString Fr(const char* texte)
{
    return QString::fromUtf8(texte);
}

QString Valeur(const std::string& v)
{
    QString t = CodePage::VersUnicode(v);
    t.replace(QStringLiteral("\r\n"), QStringLiteral(" ⏎ "));
    return t.isEmpty() ? Fr("(vide)") : t;
}

} // namespace

TConflitsSync::TConflitsSync(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("ConflitsSync"));
    setWindowTitle(Fr("Conflits de synchronisation"));
    auto* explication = new QLabel(
        Fr("Ces champs ont été modifiés à la fois dans ce carnet et sur le serveur. Choisissez "
           "pour chacun la valeur à garder (plusieurs lignes peuvent être sélectionnées)."),
        this);
    explication->setWordWrap(true);
    m_table = new QTableWidget(0, 5, this);
    m_table->setObjectName(QStringLiteral("Conflits"));
    m_table->setHorizontalHeaderLabels(
        {Fr("Fiche"), Fr("Champ"), Fr("La mienne"), Fr("Celle du serveur"), Fr("Gardée")});
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->verticalHeader()->hide();
    m_table->horizontalHeader()->setStretchLastSection(true);
    m_mienne = new QPushButton(Fr("Garder la &mienne"), this);
    m_serveur = new QPushButton(Fr("Garder celle du &serveur"), this);
    m_lesDeux = new QPushButton(Fr("Garder les &deux"), this);
    connect(m_mienne, &QPushButton::clicked, this, [this] { Choisit(MoteurSync::Choix::Mienne); });
    connect(m_serveur, &QPushButton::clicked, this,
            [this] { Choisit(MoteurSync::Choix::Serveur); });
    connect(m_lesDeux, &QPushButton::clicked, this,
            [this] { Choisit(MoteurSync::Choix::LesDeux); });
    connect(m_table, &QTableWidget::itemSelectionChanged, this, &TConflitsSync::MajBoutons);
    auto* choix = new QHBoxLayout;
    choix->addWidget(m_mienne);
    choix->addWidget(m_serveur);
    choix->addWidget(m_lesDeux);
    choix->addStretch();
    auto* boutons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    boutons->button(QDialogButtonBox::Ok)->setText(Fr("OK"));
    boutons->button(QDialogButtonBox::Cancel)->setText(Fr("Annuler"));
    connect(boutons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(boutons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* tout = new QVBoxLayout(this);
    tout->addWidget(explication);
    tout->addWidget(m_table);
    tout->addLayout(choix);
    tout->addWidget(boutons);
    resize(760, 360);
}

void TConflitsSync::Montre(const std::vector<MoteurSync::Conflit>& conflits)
{
    m_conflits = conflits;
    m_table->setRowCount(static_cast<int>(conflits.size()));
    for (int i = 0; i < m_table->rowCount(); ++i) {
        const MoteurSync::Conflit& c = m_conflits[static_cast<size_t>(i)];
        m_table->setItem(i, 0, new QTableWidgetItem(c.fiche));
        m_table->setItem(i, 1, new QTableWidgetItem(CodePage::VersUnicode(Champs::Titre(c.champ))));
        m_table->setItem(i, 2, new QTableWidgetItem(Valeur(c.mienne)));
        m_table->setItem(i, 3, new QTableWidgetItem(Valeur(c.serveur)));
        m_table->setItem(i, 4, new QTableWidgetItem);
        MajLigne(i);
    }
    m_table->resizeColumnsToContents();
    if (m_table->rowCount() > 0) m_table->selectRow(0);
    MajBoutons();
}

std::vector<int> TConflitsSync::Selection() const
{
    std::set<int> lignes;
    for (const QModelIndex& i : m_table->selectionModel()->selectedIndexes())
        lignes.insert(i.row());
    return {lignes.begin(), lignes.end()};
}

void TConflitsSync::Choisit(MoteurSync::Choix choix)
{
    for (const int l : Selection()) {
        MoteurSync::Conflit& c = m_conflits[static_cast<size_t>(l)];
        if (choix == MoteurSync::Choix::LesDeux && !FusionFiche::DeuxPossibles(c.champ)) continue;
        c.choix = choix;
        MajLigne(l);
    }
}

void TConflitsSync::MajLigne(int ligne)
{
    const MoteurSync::Choix choix = m_conflits[static_cast<size_t>(ligne)].choix;
    m_table->item(ligne, 4)->setText(choix == MoteurSync::Choix::Mienne    ? Fr("la mienne")
                                     : choix == MoteurSync::Choix::Serveur ? Fr("celle du serveur")
                                                                           : Fr("les deux"));
}

void TConflitsSync::MajBoutons()
{
    const std::vector<int> s = Selection();
    bool notes = !s.empty();
    for (const int l : s)
        notes = notes && FusionFiche::DeuxPossibles(m_conflits[static_cast<size_t>(l)].champ);
    m_mienne->setEnabled(!s.empty());
    m_serveur->setEnabled(!s.empty());
    m_lesDeux->setEnabled(notes);
}
