#pragma once

#include "OptionsMailing.h"

#include <QDialog>
#include <QPrinter>
#include <functional>

class QButtonGroup;
class QCheckBox;
class QDoubleSpinBox;
class QLabel;
class QPushButton;
class Reglages;

// "Impression d'étiquettes d'adressage": the address kind, font, frame, first
// position and printer of a mailing; the wizard's last step.
class TIMail : public QDialog
{
    Q_OBJECT
public:
    enum Resultat { Imprimer = QDialog::Accepted, Precedent = 2 };

    explicit TIMail(QWidget* parent = nullptr);

    void Lit(const Reglages& r);
    const OptionsMailing& Options() const { return m_options; }
    QPrinter& Imprimante() { return m_imprimante; }

    // "Veuillez introduire ..." for this number of sheets.
    void SetPlanches(int planches);
    static QString Invite(int planches);

    // Seams for the tests: the font dialog, the printer set-up and the PDF file name
    // (an empty name cancels).
    std::function<bool(QFont&)> ChoisitPolice;
    // An invalid colour means cancelled.
    std::function<QColor(const QColor&)> ChoisitCouleur;
    std::function<bool(QPrinter&)> ConfigureImprimante;
    std::function<QString(const QString&)> ChoisitFichierPdf;
    // Asked on "Imprimer" before anything else (the labels whose text would be cut);
    // false keeps the assistant open.
    std::function<bool()> ConfirmeImpression;
    // Before printing: a PDF printer asks for its file, unless one was just chosen in
    // "Config Imprimante"; false when cancelled.
    bool PrepareImprimante();

    QLabel* LibelleInvite() const { return m_invite; }
    QButtonGroup* Genres() const { return m_genres; }
    QCheckBox* Cadre() const { return m_cadre; }
    QDoubleSpinBox* DecalageX() const { return m_decalageX; }
    QDoubleSpinBox* DecalageY() const { return m_decalageY; }
    QPushButton* BoutonImprimer() const { return m_imprimer; }

signals:
    void PositionDemandee();
    void PrevisualisationDemandee();

private:
    void Police1Click();
    void Couleur1Click();
    void ConfigImprimante1Click();
    void MajEchantillon();
    static QString NomPdf(const QString& chemin);

    OptionsMailing m_options;
    QPrinter m_imprimante;
    // The PDF file chosen in "Config Imprimante", until the labels are printed there.
    QString m_fichierConfigure;
    QLabel* m_invite;
    QButtonGroup* m_genres;
    QCheckBox* m_cadre;
    QLabel* m_echantillon;
    QDoubleSpinBox* m_decalageX;
    QDoubleSpinBox* m_decalageY;
    QPushButton* m_imprimer;
};
