#pragma once

#include "ui/LecturePhoto.h"

#include <QDialog>
#include <QString>

class ChargeurPhoto;
class QCheckBox;
class QFileSystemModel;
class QFrame;
class QLabel;
class QListView;
class QModelIndex;
class QTreeView;

// The photo picker "Choix d'une image": a folder tree, the folder's pictures, a
// preview that "Aperçu" shows or hides. It closes with OK only on an existing file.
class TOpenDial : public QDialog
{
    Q_OBJECT
public:
    // Opens on `dossier`, or on the home folder when it does not exist.
    TOpenDial(const QString& dossier, bool apercu, QWidget* parent = nullptr);

    // The full path of the file last selected in the list; empty when none.
    const QString& Selection() const { return m_selection; }
    // The folder selected in the tree.
    const QString& Dossier() const { return m_dossier; }
    bool Apercu() const;

    // What a click on a file of the list does.
    void SelectionneFichier(const QString& chemin);
    void SelectionneDossier(const QString& dossier);
    // OK or a double-click: closes only when the selection names an existing file.
    void DemandeOk();

    QTreeView* Arbre() const { return m_arbre; }
    QListView* Fichiers() const { return m_fichiers; }
    QFileSystemModel* ModeleFichiers() const { return m_modeleFichiers; }
    QFrame* PanneauApercu() const { return m_panneau; }
    QLabel* ImageApercu() const { return m_image; }
    QCheckBox* CaseApercu() const { return m_caseApercu; }
    ChargeurPhoto* Chargeur() const { return m_chargeur; }

    static QStringList Motifs();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void DossierCourant(const QModelIndex& index);
    void FichierCourant(const QModelIndex& index);
    void MontreApercu();
    void ApercuPret(const LecturePhoto::Resultat& resultat);
    void MontreDossier();

    QFileSystemModel* m_modeleDossiers;
    QFileSystemModel* m_modeleFichiers;
    QTreeView* m_arbre;
    QListView* m_fichiers;
    QFrame* m_panneau;
    QLabel* m_image;
    QCheckBox* m_caseApercu;
    ChargeurPhoto* m_chargeur;
    QString m_selection;
    QString m_dossier;
    bool m_suitDossier = true;
};
