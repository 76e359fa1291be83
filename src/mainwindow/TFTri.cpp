#include "TFTri.h"

#include "records/CodePage.h"
#include "records/Repertoire.h"

#include <QComboBox>
#include <QPushButton>

TFTri::TFTri(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QString::fromUtf8("Trier par rapport à :"));
    setObjectName(QStringLiteral("FTri"));
    setFixedSize(265, 89);
    m_liste = new QComboBox(this);
    m_liste->setObjectName(QStringLiteral("Liste"));
    m_liste->setEditable(false);
    m_liste->setGeometry(16, 16, 233, 21);
    m_liste->setMaxVisibleItems(16);
    // The list index is the column index.
    for (int c = 0; c < NbColonnes; ++c)
        m_liste->addItem(CodePage::VersUnicode(Champs::Titre(c)));
    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("OKBtn"));
    ok->setGeometry(48, 52, 75, 25);
    ok->setDefault(true);
    auto* annuler = new QPushButton(QStringLiteral("Annuler"), this);
    annuler->setObjectName(QStringLiteral("CancelBtn"));
    annuler->setGeometry(142, 52, 75, 25);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(annuler, &QPushButton::clicked, this, &QDialog::reject);
}

bool TFTri::Choisit(int colonne, int& choisie)
{
    m_liste->setCurrentIndex(colonne >= 0 && colonne < NbColonnes ? colonne : 0);
    if (exec() != QDialog::Accepted) return false;
    choisie = m_liste->currentIndex();
    return true;
}
