#pragma once

#include "records/CheminsPhoto.h"
#include "ui/LecturePhoto.h"

#include <QImage>
#include <QObject>
#include <QString>
#include <functional>

class ChargeurPhoto;
class QAction;
class QMenu;
class Reglages;
class TCadrePhoto;
class TFiche;

// The photo commands of the main window: the frame's context menu "Charger photo..."
// and "Effacer photo", and the frame following the record shown. Keeps the picker's
// folder and preview option for the run.
class TPhotos : public QObject
{
    Q_OBJECT
public:
    explicit TPhotos(TFiche& fiche);

    // "Options": "Aperçu" and "CheminImagesPerso", read at start-up.
    void Lit(const Reglages& reglages);
    // "Options": "Aperçu" at the close; the folder is kept for the run only.
    void Ecrit(Reglages& reglages) const;

    struct Choix {
        bool ok = false;
        QString fichier; // the file selected
        QString dossier; // the folder browsed
        bool apercu = true;
    };
    // The picker, created for each use; tests replace it.
    std::function<Choix(const QString& dossier, bool apercu)> ChoisitImage;

    void ChargerPhoto1Click();
    void EffacerPhoto1Click();
    // Shows the photo of record `ligne` in the frame, or the caption "Photo". The
    // picture is decoded in the background: until it comes the frame waits, empty.
    void MontrePhoto(int ligne);
    // What the frame shows: the last picture decoded for it.
    LecturePhoto::Etat Etat() const { return m_etat; }
    ChargeurPhoto* Chargeur() const { return m_chargeur; }

    bool Apercu() const { return m_apercu; }
    const QString& CheminImagesPerso() const { return m_cheminImagesPerso; }
    const CheminsPhoto& Chemins() const { return m_chemins; }
    QMenu* Menu() const { return m_menu; }
    QAction* ItemCharger() const { return m_charger; }
    QAction* ItemEffacer() const { return m_effacer; }

private:
    void MenuDemande(const QPoint& position);
    void SansPhoto();
    void PhotoPrete(const LecturePhoto::Resultat& resultat);

    TFiche& m_fiche;
    CheminsPhoto m_chemins;
    TCadrePhoto* m_cadre;
    QMenu* m_menu;
    QAction* m_charger;
    QAction* m_effacer;
    bool m_apercu = true;
    QString m_cheminImagesPerso;
    ChargeurPhoto* m_chargeur;
    QString m_chemin; // the file the frame shows or waits for
    LecturePhoto::Etat m_etat = LecturePhoto::Etat::Absente;
};
