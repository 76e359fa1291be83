#include "TAide.h"

#include "records/DonneesProgramme.h"

#include <QDialogButtonBox>
#include <QPushButton>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

TAide::TAide(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("Aide"));
    setWindowTitle(QString::fromUtf8("Aide de Carnet d'adresses"));
    setModal(false);
    resize(620, 560);
    auto* colonne = new QVBoxLayout(this);
    m_navigateur = new QTextBrowser(this);
    m_navigateur->setObjectName(QStringLiteral("Navigateur"));
    m_navigateur->setOpenExternalLinks(true);
    colonne->addWidget(m_navigateur);
    auto* boutons = new QDialogButtonBox(this);
    QPushButton* sommaire =
        boutons->addButton(QString::fromUtf8("&Sommaire"), QDialogButtonBox::ActionRole);
    QPushButton* fermer =
        boutons->addButton(QString::fromUtf8("&Fermer"), QDialogButtonBox::RejectRole);
    colonne->addWidget(boutons);
    connect(sommaire, &QPushButton::clicked, this, &TAide::MontreSommaire);
    connect(fermer, &QPushButton::clicked, this, &QDialog::close);
}

QUrl TAide::Sommaire()
{
    // The page installed with the program, which can be updated without it; the copy
    // built into the program otherwise.
    const QString installee = DonneesProgramme::Trouve(QStringLiteral("aide/adresses.html"));
    if (!installee.isEmpty()) return QUrl::fromLocalFile(installee);
    return QUrl(QStringLiteral("qrc:/aide/adresses.html"));
}

void TAide::MontreSommaire()
{
    m_navigateur->setSource(Sommaire());
    m_navigateur->scrollToAnchor(QStringLiteral("sommaire"));
    show();
    raise();
    activateWindow();
}
