#include "TOpenDial.h"

#include "photos/GeometrieApercu.h"
#include "ui/ChargeurPhoto.h"
#include "ui/LecturePhoto.h"

#include <QCheckBox>
#include <QDir>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLabel>
#include <QListView>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QTimer>
#include <QTreeView>

TOpenDial::TOpenDial(const QString& dossier, bool apercu, QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("OpenDial"));
    setWindowTitle(QString::fromUtf8("Choix d'une image"));
    setFixedSize(594, 265);

    m_modeleDossiers = new QFileSystemModel(this);
    m_modeleDossiers->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot | QDir::Drives);
    m_modeleDossiers->setRootPath(QDir::rootPath());
    m_arbre = new QTreeView(this);
    m_arbre->setObjectName(QStringLiteral("Dossiers"));
    m_arbre->setModel(m_modeleDossiers);
    for (int c = 1; c < m_modeleDossiers->columnCount(); ++c)
        m_arbre->hideColumn(c);
    m_arbre->setHeaderHidden(true);
    m_arbre->setGeometry(8, 8, 200, 249);

    m_modeleFichiers = new QFileSystemModel(this);
    m_modeleFichiers->setFilter(QDir::Files);
    m_modeleFichiers->setNameFilters(Motifs());
    m_modeleFichiers->setNameFilterDisables(false);
    m_modeleFichiers->sort(0);
    m_fichiers = new QListView(this);
    m_fichiers->setObjectName(QStringLiteral("Fichiers"));
    m_fichiers->setModel(m_modeleFichiers);
    m_fichiers->setGeometry(216, 8, 209, 249);

    m_panneau = new QFrame(this);
    m_panneau->setObjectName(QStringLiteral("Apercu"));
    m_panneau->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    m_panneau->setGeometry(433, 8, 153, 145);
    m_image = new QLabel(m_panneau);
    m_image->setObjectName(QStringLiteral("ImageApercu"));
    m_image->hide();
    m_chargeur = new ChargeurPhoto(
        [](const QSize& propre, const QSize& panneau) {
            return GeometrieApercu::Rectangle(propre, panneau).size();
        },
        this);
    connect(m_chargeur, &ChargeurPhoto::Pret, this, &TOpenDial::ApercuPret);

    m_caseApercu = new QCheckBox(QString::fromUtf8("Aperçu"), this);
    m_caseApercu->setObjectName(QStringLiteral("CaseApercu"));
    m_caseApercu->setGeometry(433, 162, 153, 20);
    m_caseApercu->setChecked(apercu);
    m_panneau->setVisible(apercu);

    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("OK"));
    ok->setDefault(true);
    ok->setGeometry(433, 232, 73, 25);
    auto* annuler = new QPushButton(QStringLiteral("Annuler"), this);
    annuler->setObjectName(QStringLiteral("Annuler"));
    annuler->setGeometry(513, 232, 73, 25);

    // The folders come in while the tree is shown: the chosen one stays in view until
    // the user moves the tree.
    const auto suit = [this] {
        if (m_suitDossier) QTimer::singleShot(0, this, &TOpenDial::MontreDossier);
    };
    connect(m_modeleDossiers, &QAbstractItemModel::rowsInserted, this, suit);
    connect(m_modeleDossiers, &QAbstractItemModel::layoutChanged, this, suit);
    connect(m_modeleDossiers, &QFileSystemModel::directoryLoaded, this, suit);
    connect(m_arbre->verticalScrollBar(), &QScrollBar::actionTriggered, this,
            [this] { m_suitDossier = false; });
    connect(m_arbre, &QTreeView::pressed, this, [this] { m_suitDossier = false; });
    connect(m_arbre->selectionModel(), &QItemSelectionModel::currentChanged, this,
            &TOpenDial::DossierCourant);
    connect(m_fichiers->selectionModel(), &QItemSelectionModel::currentChanged, this,
            &TOpenDial::FichierCourant);
    connect(m_fichiers, &QListView::clicked, this, &TOpenDial::FichierCourant);
    connect(m_fichiers, &QListView::doubleClicked, this, [this](const QModelIndex& index) {
        FichierCourant(index);
        DemandeOk();
    });
    connect(m_caseApercu, &QCheckBox::toggled, this, [this](bool coche) {
        m_panneau->setVisible(coche);
        if (coche) MontreApercu();
    });
    connect(ok, &QPushButton::clicked, this, &TOpenDial::DemandeOk);
    connect(annuler, &QPushButton::clicked, this, &QDialog::reject);

    SelectionneDossier(QFileInfo(dossier).isDir() ? dossier : QDir::homePath());
}

QStringList TOpenDial::Motifs()
{
    return QString::fromLatin1(
               "*.wmf;*.bmp;*.ico;*.pcx;*.tif;*.gif;*.jpg;*.png;*.pcd;*.tga;*.eps;*.dxf")
        .split(QLatin1Char(';'));
}

bool TOpenDial::Apercu() const
{
    return m_caseApercu->isChecked();
}

void TOpenDial::SelectionneDossier(const QString& dossier)
{
    const QModelIndex index = m_modeleDossiers->index(QDir(dossier).absolutePath());
    if (!index.isValid()) return;
    for (QModelIndex parent = index.parent(); parent.isValid(); parent = parent.parent())
        m_arbre->expand(parent);
    m_arbre->setCurrentIndex(index);
    m_arbre->scrollTo(index, QAbstractItemView::PositionAtCenter);
    DossierCourant(index); // also when it was already current
}

void TOpenDial::DossierCourant(const QModelIndex& index)
{
    if (!index.isValid()) return;
    const QString dossier = m_modeleDossiers->filePath(index);
    if (dossier == m_dossier) return;
    m_dossier = dossier;
    m_arbre->expand(index);
    m_fichiers->setRootIndex(m_modeleFichiers->setRootPath(m_dossier));
    // A file of the folder left is no longer what OK would take.
    m_selection.clear();
    MontreApercu();
}

void TOpenDial::FichierCourant(const QModelIndex& index)
{
    if (!index.isValid()) return;
    SelectionneFichier(m_modeleFichiers->filePath(index));
}

void TOpenDial::SelectionneFichier(const QString& chemin)
{
    if (chemin == m_selection) return;
    m_selection = chemin;
    const QModelIndex index = m_modeleFichiers->index(chemin);
    if (index.isValid() && m_fichiers->currentIndex() != index) m_fichiers->setCurrentIndex(index);
    MontreApercu();
}

void TOpenDial::DemandeOk()
{
    if (!m_selection.isEmpty() && QFileInfo(m_selection).isFile()) accept();
}

void TOpenDial::MontreApercu()
{
    // The panel stays empty until the picture is decoded, in the background.
    m_image->hide();
    m_image->clear();
    if (!Apercu() || m_selection.isEmpty() || !QFileInfo::exists(m_selection)) {
        m_chargeur->Annule();
        return;
    }
    m_chargeur->Demande(m_selection, m_panneau->size());
}

void TOpenDial::ApercuPret(const LecturePhoto::Resultat& resultat)
{
    if (resultat.etat == LecturePhoto::Etat::Absente) return;
    const QSize panneau = m_panneau->size();
    QSize taille = resultat.propre;
    QImage image = resultat.image;
    if (resultat.etat != LecturePhoto::Etat::Lue) {
        taille = QSize(GeometrieApercu::Arrondi(4LL * panneau.width(), 5),
                       GeometrieApercu::Arrondi(4LL * panneau.height(), 5));
        image = LecturePhoto::Remplacement(m_selection, taille,
                                           LecturePhoto::TexteRemplacement(resultat));
    }
    m_image->setPixmap(QPixmap::fromImage(image));
    m_image->setGeometry(GeometrieApercu::Rectangle(taille, panneau));
    m_image->show();
}

void TOpenDial::MontreDossier()
{
    if (m_suitDossier)
        m_arbre->scrollTo(m_arbre->currentIndex(), QAbstractItemView::PositionAtCenter);
}

void TOpenDial::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    QTimer::singleShot(0, this, &TOpenDial::MontreDossier);
    if (const QScreen* ecran = screen() ? screen() : QGuiApplication::primaryScreen()) {
        QRect cadre = frameGeometry();
        cadre.moveCenter(ecran->availableGeometry().center());
        move(cadre.topLeft());
    }
}
