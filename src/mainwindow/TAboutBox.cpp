#include "TAboutBox.h"

#include <QIcon>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

TAboutBox::TAboutBox(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("AboutBox"));
    setWindowTitle(QString::fromUtf8("A propos"));
    setModal(true);

    auto* colonne = new QVBoxLayout(this);
    colonne->setContentsMargins(24, 20, 24, 16);
    colonne->setSpacing(10);

    auto* icone = new QLabel(this);
    icone->setPixmap(QIcon(QStringLiteral(":/icons/carnet.svg")).pixmap(64, 64));
    icone->setAlignment(Qt::AlignCenter);
    colonne->addWidget(icone);

    auto* nom = new QLabel(QString::fromUtf8("Carnet d'adresses"), this);
    nom->setObjectName(QStringLiteral("ProductName"));
    QFont police = nom->font();
    police.setPointSize(police.pointSize() + 6);
    police.setBold(true);
    nom->setFont(police);
    nom->setAlignment(Qt::AlignCenter);
    colonne->addWidget(nom);

    auto* version = new QLabel(QString::fromUtf8("Version %1").arg(Version()), this);
    version->setObjectName(QStringLiteral("Version"));
    version->setAlignment(Qt::AlignCenter);
    colonne->addWidget(version);

    auto* description =
        new QLabel(QString::fromUtf8("Vos adresses privées, professionnelles et bancaires,\n"
                                     "rangées dans un répertoire (fichier .REP)."),
                   this);
    description->setAlignment(Qt::AlignCenter);
    colonne->addWidget(description);

    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("OKButton"));
    ok->setDefault(true);
    colonne->addWidget(ok, 0, Qt::AlignCenter);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    setFixedSize(sizeHint());
}

QString TAboutBox::Version()
{
    return QStringLiteral(CARNET_VERSION);
}
