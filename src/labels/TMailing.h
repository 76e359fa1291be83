#pragma once

#include "Catalogue.h"

#include <QObject>
#include <QPointer>
#include <QString>
#include <functional>
#include <memory>

class EcritureReglages;
class Reglages;
class RenduPlanche;
class Socle;
class TAide;
class TChoix;
class TFiche;
class TFormat;
class TFpPrev;
class TIMail;
class TNewFor;
class TPrevis;

// The label commands of the main window: the mailing wizard started by
// "&Assistant mailing..." and the label button (selection, format, mailing
// assistant, previews, printing), and the catalogue of sheet formats read at start
// and written at the close.
class TMailing : public QObject
{
    Q_OBJECT
public:
    // Creates the wizard's dialogs, in their order, and connects the commands.
    explicit TMailing(TFiche& fiche);
    ~TMailing() override;

    void Lit(const Reglages& r);
    // "Options" ("Cadre", "Adresse", the shifts), "Dernier format", "Police".
    void Contribue(EcritureReglages& ecriture);

    // The catalogue files live beside the program, or in the user's data folder when
    // the program's folder cannot be written. `base`: the program's base name.
    // Returns what was wrong with them, or an empty text.
    QString ChargeCatalogue(const QString& dossierProgramme, const QString& base, int index);
    QString EnregistreCatalogue() const;
    // The catalogue beside the program (`dossierProgramme`, the running program's when
    // empty) read now, what was wrong with it told once the window shows, and the
    // catalogue written at the close, a failure told.
    void BrancheCatalogue(Socle& socle, const QString& dossierProgramme);
    const QString& CheminFormats() const { return m_cheminFor; }
    const QString& CheminMarges() const { return m_cheminGap; }

    // The wizard, from the selection to printing or cancelling.
    void Lance();
    int NombreEtiquettes() const { return m_nombre; }

    Catalogue& Formats() { return m_catalogue; }
    TChoix* Choix() const { return m_choix; }
    TFormat* Format() const { return m_format; }
    TPrevis* Previs() const { return m_previs; }
    TNewFor* NewFor() const { return m_newFor; }
    TIMail* IMail() const { return m_imail; }
    TFpPrev* FpPrev() const { return m_fpPrev; }

private:
    void MajPlanches();
    void Position1Click();
    void Previsualisation1Click();
    void Imprime();
    // The sheets of one mailing as the assistant's choices make them: the preview and
    // the print draw the same ones.
    struct Envoi;
    std::unique_ptr<Envoi> NouvelEnvoi() const;
    bool ConfirmeImpression();
    void Disponible(bool oui);
    void Aide();

    TFiche& m_fiche;
    Catalogue m_catalogue;
    QString m_cheminFor, m_cheminGap;
    int m_nombre = 0;
    TChoix* m_choix;
    TFormat* m_format;
    TPrevis* m_previs;
    TNewFor* m_newFor;
    TIMail* m_imail;
    TFpPrev* m_fpPrev;
    QPointer<TAide> m_aide;
    // Measured when "Imprimer" is confirmed, printed as measured.
    std::unique_ptr<Envoi> m_envoi;
};
