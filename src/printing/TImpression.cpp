#include "TImpression.h"

#include "mainwindow/CurseurOccupe.h"
#include "mainwindow/TFiche.h"
#include "mainwindow/TGrille.h"
#include "mainwindow/TMessage.h"
#include "printing/CopieIntelligente.h"
#include "printing/FluxImpression.h"
#include "printing/ImpressionListe.h"
#include "printing/SurfacePeintre.h"
#include "printing/TCopyOpt.h"
#include "printing/TDialogueImpression.h"
#include "printing/TravailImpression.h"
#include "records/CodePage.h"

#include <QApplication>
#include <QClipboard>
#include <QFontDialog>
#include <QItemSelectionModel>
#include <QPrinter>
#include <QProgressDialog>
#include <QScopedValueRollback>

TImpression::TImpression(TFiche& fiche, TCopyOpt& copyOpt, QObject* parent)
    : QObject(parent), m_fiche(fiche), m_copyOpt(copyOpt),
      m_dialogue(new TDialogueImpression(&fiche))
{
    ChoisitImpression = [this](ChoixImpression& choix, int options) {
        return m_dialogue->Choisit(choix, options);
    };
    ChoisitPolice = [this](QFont& police) {
        bool ok = false;
        const QFont choisie = QFontDialog::getFont(&ok, police, &m_fiche, QStringLiteral("Police"));
        if (ok) police = choisie;
        return ok;
    };
}

void TImpression::Copier1Click()
{
    if (m_fiche.ListeAffichee())
        CopieListe();
    else
        CopieFiche();
}

bool TImpression::CopieFiche()
{
    if (!m_copyOpt.Choisit()) return false;
    CurseurOccupe occupe;
    MetDansPressePapiers(
        CopieIntelligente::TexteFiche(m_fiche.Rep(), m_fiche.LigneCourante(), m_copyOpt.Options()));
    return true;
}

void TImpression::CopieListe()
{
    m_fiche.ValideSaisieGrille();
    CurseurOccupe occupe;
    MetDansPressePapiers(CopieIntelligente::TexteListe(m_fiche.Rep(), PlageGrille()));
}

PlageCellules TImpression::PlageGrille() const
{
    const TGrille* grille = m_fiche.Grille();
    PlageCellules p{grille->LigneCourante(), grille->LigneCourante(), grille->ColonneCourante(),
                    grille->ColonneCourante()};
    if (!grille->selectionModel()) return p;
    bool premiere = true;
    for (const QItemSelectionRange& r : grille->selectionModel()->selection()) {
        if (!r.isValid()) continue;
        // Model row i is book row i + 1.
        const PlageCellules b{r.top() + 1, r.bottom() + 1, r.left(), r.right()};
        if (premiere) {
            p = b;
            premiere = false;
            continue;
        }
        p.ligneHaut = std::min(p.ligneHaut, b.ligneHaut);
        p.ligneBas = std::max(p.ligneBas, b.ligneBas);
        p.colonneGauche = std::min(p.colonneGauche, b.colonneGauche);
        p.colonneDroite = std::max(p.colonneDroite, b.colonneDroite);
    }
    return p;
}

void TImpression::MetDansPressePapiers(const std::string& octets)
{
    // Offered as Unicode text: other programs paste the accents and "€" as shown.
    QGuiApplication::clipboard()->setText(CodePage::VersUnicode(octets));
}

bool TImpression::Imprimer1Click()
{
    return m_fiche.ListeAffichee() ? ImprimeListe() : false;
}

ChoixImpression TImpression::ChoixPropose() const
{
    ChoixImpression choix = m_dernierChoix;
    choix.fichierPdf = ChoixImpression::PdfPropose(m_fiche.Rep().FichierCourant());
    choix.copies = 1;
    choix.selection = false;
    return choix;
}

void TImpression::Echec(const QString& raison)
{
    TMessage::Erreur(&m_fiche, QString::fromUtf8("L'impression a échoué.\n\n") + raison);
}

bool TImpression::ImprimeListe()
{
    m_fiche.ValideSaisieGrille();
    ChoixImpression choix = ChoixPropose();
    if (!ChoisitImpression(choix,
                           TDialogueImpression::AvecSelection | TDialogueImpression::AvecCopies))
        return false;
    m_dernierChoix.imprimante = choix.imprimante;
    QFont police = m_fiche.Grille()->font();
    if (!ChoisitPolice(police)) return false;

    const Repertoire& rep = m_fiche.Rep();
    const QString titre = ImpressionListe::Entete(rep.FichierCourant(), false);
    const QString entete = ImpressionListe::Entete(rep.FichierCourant(), choix.selection);
    const PlageCellules plage = ImpressionListe::PlageImprimee(rep, PlageGrille(), choix.selection);
    const int copies = std::max(choix.copies, 1);

    QPrinter imprimante(QPrinter::HighResolution);
    choix.Applique(imprimante);
    imprimante.setDocName(titre);
    imprimante.setPageOrientation(QPageLayout::Landscape);

    TravailImpression travail(imprimante);
    QString raison;
    {
        CurseurOccupe occupe;
        if (!travail.Commence(&raison)) {
            Echec(raison);
            return false;
        }
    }
    QPainter& peintre = travail.Peintre();
    peintre.setFont(police);
    SurfacePeintre surface(peintre, imprimante);
    FluxImpression flux(surface);

    QProgressDialog progression(QString::fromUtf8("Impression de la liste..."),
                                QStringLiteral("Annuler"), 0, plage.NbLignes() * copies, &m_fiche);
    progression.setWindowTitle(QStringLiteral("Impression"));
    progression.setWindowModality(Qt::WindowModal);
    progression.setMinimumDuration(DelaiProgression);
    progression.setAutoReset(false);
    progression.setAutoClose(false);
    QScopedValueRollback<QProgressDialog*> enCours(m_progression, &progression);
    const auto avancement = [&](int faites) {
        progression.setLabelText(
            QString::fromUtf8("Impression de la liste : page %1").arg(flux.Pages()));
        progression.setValue(faites);
        QCoreApplication::processEvents();
        return !progression.wasCanceled();
    };

    bool fini = false;
    {
        CurseurOccupe occupe;
        fini = ImpressionListe::Imprime(rep, flux, entete, plage, copies, avancement);
    }
    if (progression.wasCanceled()) {
        travail.Abandonne();
        return false;
    }
    if (!fini) {
        travail.Abandonne();
        Echec(QString::fromUtf8("L'imprimante n'a pas pu passer à la page suivante."));
        return false;
    }
    {
        CurseurOccupe occupe;
        raison = travail.Termine();
    }
    if (!raison.isEmpty()) {
        Echec(raison);
        return false;
    }
    return true;
}
