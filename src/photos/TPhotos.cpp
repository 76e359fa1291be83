#include "TPhotos.h"

#include "mainwindow/TCadrePhoto.h"
#include "mainwindow/TDocument.h"
#include "mainwindow/TFiche.h"
#include "mainwindow/TPagesFiche.h"
#include "photos/TOpenDial.h"
#include "settings/Reglages.h"
#include "ui/ChargeurPhoto.h"
#include "ui/CurseurOccupe.h"
#include "ui/LecturePhoto.h"
#include "ui/TMessage.h"

#include <QDir>
#include <QFileInfo>
#include <QMenu>
#include <memory>

namespace
{
const QString Options = QStringLiteral("Options");
}

TPhotos::TPhotos(TFiche& fiche)
    : QObject(&fiche), m_fiche(fiche), m_chemins(fiche.DossierImages()),
      m_cadre(qobject_cast<TCadrePhoto*>(fiche.PagesFiche()->CadrePhoto())),
      m_cheminImagesPerso(QDir::homePath()),
      m_chargeur(new ChargeurPhoto(&LecturePhoto::DansZone, this))
{
    ChoisitImage = [this](const QString& dossier, bool apercu) {
        Choix choix;
        std::unique_ptr<TOpenDial> picker;
        {
            CurseurOccupe occupe;
            picker = std::make_unique<TOpenDial>(dossier, apercu, &m_fiche);
        }
        choix.ok = picker->exec() == QDialog::Accepted;
        choix.fichier = picker->Selection();
        choix.dossier = picker->Dossier();
        choix.apercu = picker->Apercu();
        return choix;
    };

    m_menu = new QMenu(m_cadre);
    m_menu->setObjectName(QStringLiteral("MenuPhoto"));
    m_charger = m_menu->addAction(QString::fromUtf8("Charger photo..."));
    m_charger->setObjectName(QStringLiteral("ChargerPhoto1"));
    m_effacer = m_menu->addAction(QString::fromUtf8("Effacer photo"));
    m_effacer->setObjectName(QStringLiteral("EffacerPhoto1"));
    connect(m_charger, &QAction::triggered, this, &TPhotos::ChargerPhoto1Click);
    connect(m_effacer, &QAction::triggered, this, &TPhotos::EffacerPhoto1Click);

    m_cadre->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_cadre, &QWidget::customContextMenuRequested, this, &TPhotos::MenuDemande);
    connect(fiche.PagesFiche(), &TPagesFiche::LigneMontree, this, &TPhotos::MontrePhoto);
    connect(m_chargeur, &ChargeurPhoto::Pret, this, &TPhotos::PhotoPrete);
}

void TPhotos::Lit(const Reglages& reglages)
{
    m_apercu = reglages.ReadBool(Options, QString::fromUtf8("Aperçu"), true);
    m_cheminImagesPerso =
        reglages.ReadString(Options, QStringLiteral("CheminImagesPerso"), QDir::homePath());
}

void TPhotos::Ecrit(Reglages& reglages) const
{
    reglages.WriteBool(Options, QString::fromUtf8("Aperçu"), m_apercu);
}

void TPhotos::MenuDemande(const QPoint& position)
{
    // A book open read-only keeps its photos: the menu shows, both items greyed.
    const bool lectureSeule = m_fiche.Document()->LectureSeule();
    m_charger->setEnabled(!lectureSeule);
    m_effacer->setEnabled(!lectureSeule &&
                          !m_fiche.Rep().Cellule(Photo, m_fiche.LigneCourante()).empty());
    m_menu->popup(m_cadre->mapToGlobal(position));
}

void TPhotos::ChargerPhoto1Click()
{
    if (m_fiche.Document()->LectureSeule()) return;
    const Choix choix = ChoisitImage(m_cheminImagesPerso, m_apercu);
    m_apercu = choix.apercu;
    if (!choix.ok) return;
    CheminsPhoto::Resultat resultat;
    {
        CurseurOccupe occupe;
        if (!choix.dossier.isEmpty()) m_cheminImagesPerso = choix.dossier;
        resultat = m_chemins.Importe(choix.fichier);
        if (resultat.erreur.isEmpty()) {
            const int ligne = m_fiche.LigneCourante();
            m_fiche.Modele()->SetCellule(Photo, ligne, resultat.nom);
            // The record now names the file of the images folder: when one of that name
            // was there already, that is the picture it shows.
            MontrePhoto(ligne);
        }
    }
    if (!resultat.erreur.isEmpty()) TMessage::Erreur(&m_fiche, resultat.erreur);
}

void TPhotos::EffacerPhoto1Click()
{
    if (m_fiche.Document()->LectureSeule()) return;
    m_fiche.Modele()->SetCellule(Photo, m_fiche.LigneCourante(), std::string_view());
    SansPhoto();
}

void TPhotos::SansPhoto()
{
    m_chargeur->Annule();
    m_chemin.clear();
    m_etat = LecturePhoto::Etat::Absente;
    m_cadre->SetImage(QImage());
    m_cadre->SetLegende(QStringLiteral("Photo"));
}

void TPhotos::MontrePhoto(int ligne)
{
    const Repertoire& rep = m_fiche.Rep();
    const QString chemin = ligne >= 1 && ligne < rep.NbLignes()
                               ? m_chemins.Chemin(rep.Cellule(Photo, ligne))
                               : QString();
    if (chemin.isEmpty() || !QFileInfo::exists(chemin)) {
        SansPhoto();
        return;
    }
    // The frame waits, empty, until the picture is decoded; a picture decoded lately
    // comes at once, before Demande returns.
    m_chemin = chemin;
    m_cadre->SetAttente();
    m_chargeur->Demande(chemin, m_cadre->contentsRect().size());
}

void TPhotos::PhotoPrete(const LecturePhoto::Resultat& resultat)
{
    m_etat = resultat.etat;
    switch (resultat.etat) {
    case LecturePhoto::Etat::Lue:
        m_cadre->SetImage(resultat.image);
        m_cadre->SetLegende(QString());
        break;
    case LecturePhoto::Etat::Absente:
        m_cadre->SetImage(QImage());
        m_cadre->SetLegende(QStringLiteral("Photo"));
        break;
    default:
        m_cadre->SetImage(LecturePhoto::Remplacement(m_chemin, m_cadre->contentsRect().size(),
                                                     LecturePhoto::TexteRemplacement(resultat)));
        m_cadre->SetLegende(QString());
        break;
    }
}
