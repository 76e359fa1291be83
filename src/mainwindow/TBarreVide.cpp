#include "TBarreVide.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>

TBarreVide::TBarreVide(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("BarreRecherche"));
    setFixedHeight(Hauteur);
    auto* ligne = new QHBoxLayout(this);
    ligne->setContentsMargins(8, 8, 8, 8);
    ligne->setSpacing(8);

    m_edit = new QComboBox(this);
    m_edit->setObjectName(QStringLiteral("Edit"));
    m_edit->setEditable(true);
    m_edit->setInsertPolicy(QComboBox::NoInsert);
    m_edit->setMinimumWidth(320);
    m_edit->lineEdit()->setPlaceholderText(QString::fromUtf8("Recherche rapide"));
    ligne->addWidget(m_edit);

    m_findBtn2 = new QPushButton(QString::fromUtf8("Chercher"), this);
    m_findBtn2->setObjectName(QStringLiteral("FindBtn2"));
    m_findBtn2->setEnabled(false); // the box starts empty
    ligne->addWidget(m_findBtn2);

    m_prevBtn = new QPushButton(QString::fromUtf8("Précédent"), this);
    m_prevBtn->setObjectName(QStringLiteral("PrevBtn"));
    m_prevBtn->setEnabled(false);
    ligne->addWidget(m_prevBtn);
    ligne->addStretch(1);
}
