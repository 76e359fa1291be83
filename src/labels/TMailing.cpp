#include "TMailing.h"

#include "DessinEtiquette.h"
#include "ImpressionEtiquettes.h"
#include "MiseEnPage.h"
#include "Planches.h"
#include "RenduPlanche.h"
#include "TChoix.h"
#include "TFormat.h"
#include "TFpPrev.h"
#include "TIMail.h"
#include "TNewFor.h"
#include "TPrevis.h"
#include "mainwindow/Socle.h"
#include "mainwindow/TDocument.h"
#include "mainwindow/TFiche.h"
#include "records/DonneesProgramme.h"
#include "settings/EcritureReglages.h"
#include "settings/Reglages.h"
#include "ui/CurseurOccupe.h"
#include "ui/TAide.h"
#include "ui/TMessage.h"

#include <QAction>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QPrinter>
#include <QPushButton>
#include <QStandardPaths>
#include <QTextBrowser>
#include <QTimer>

struct TMailing::Envoi {
    MiseEnPage page;
    Planches planches;
    DessinEtiquette dessin;
    RenduPlanche rendu;

    Envoi(const Repertoire& rep, const FormatEtiquette& format, int nombre, int colonne, int ligne,
          const OptionsMailing& o)
        : page(format), planches(page, Planches::FichesChoisies(rep), nombre, colonne, ligne),
          dessin(o.police, o.couleur, o.cadre), rendu(rep, page, planches, o.genre, dessin)
    {
    }
};

TMailing::~TMailing() = default;

TMailing::TMailing(TFiche& fiche) : QObject(&fiche), m_fiche(fiche)
{
    m_choix = new TChoix(*fiche.Modele(), &fiche);
    m_choix->Trier = [this] { return m_fiche.Trier(); };
    m_previs = new TPrevis(&fiche);
    m_newFor = new TNewFor(m_previs, &fiche);
    m_format = new TFormat(m_catalogue, m_previs, m_newFor, &fiche);
    m_imail = new TIMail(&fiche);
    m_fpPrev = new TFpPrev(&fiche);

    connect(m_format, &TFormat::AideDemandee, this, &TMailing::Aide);
    connect(m_previs, &TPrevis::DepartChange, this, &TMailing::MajPlanches);
    connect(m_imail, &TIMail::PositionDemandee, this, &TMailing::Position1Click);
    connect(m_imail, &TIMail::PrevisualisationDemandee, this, &TMailing::Previsualisation1Click);
    m_imail->ConfirmeImpression = [this] { return ConfirmeImpression(); };

    using C = TMenusFiche::Commande;
    TMenusFiche* menus = fiche.Menus();
    menus->SetDisponible(C::Mailing, true);
    connect(menus->Item(C::Mailing), &QAction::triggered, this, &TMailing::Lance);
    if (QAction* bouton = menus->Bouton(C::Mailing))
        connect(bouton, &QAction::triggered, this, &TMailing::Lance);
}

void TMailing::BrancheCatalogue(Socle& socle, const QString& dossierProgramme)
{
    const QString dossier =
        dossierProgramme.isEmpty() ? QCoreApplication::applicationDirPath() : dossierProgramme;
    QString base = Reglages::NomReglages(QCoreApplication::applicationFilePath());
    base.chop(4); // ".ini"
    const QString message = ChargeCatalogue(
        dossier, base,
        socle.Store().ReadInteger(QStringLiteral("Dernier format"), QStringLiteral("Format"), 0));
    if (!message.isEmpty())
        QTimer::singleShot(0, &m_fiche, [this, message] {
            TMessage::Erreur(&m_fiche, message, QString::fromUtf8("Formats d'étiquettes"));
        });
    socle.ALaFermeture([this] {
        const QString erreur = EnregistreCatalogue();
        if (!erreur.isEmpty())
            TMessage::Erreur(&m_fiche,
                             QString::fromUtf8("Le catalogue des formats d'étiquettes n'a pas pu "
                                               "être enregistré.\n\n") +
                                 erreur);
    });
}

// A help window of the chooser's own: the main window's would be blocked behind the
// modal chooser.
void TMailing::Aide()
{
    if (!m_aide) m_aide = new TAide(m_format);
    m_aide->MontreSommaire();
    m_aide->Navigateur()->scrollToAnchor(QStringLiteral("etiquettes"));
}

void TMailing::Lit(const Reglages& r)
{
    m_imail->Lit(r);
}

void TMailing::Contribue(EcritureReglages& ecriture)
{
    using E = EcritureReglages::Etape;
    ecriture.Contribue(E::OptionsMailing,
                       [this](Reglages& r) { m_imail->Options().EcritOptions(r); });
    ecriture.Contribue(E::DernierFormat, [this](Reglages& r) {
        r.WriteInteger(QStringLiteral("Dernier format"), QStringLiteral("Format"),
                       m_catalogue.Courant());
    });
    ecriture.Contribue(E::Police, [this](Reglages& r) { m_imail->Options().EcritPolice(r); });
}

QString TMailing::ChargeCatalogue(const QString& dossierProgramme, const QString& base, int index)
{
    QString dossier = dossierProgramme;
    if (!DonneesProgramme::EcritACote(dossierProgramme)) {
        // A program installed for every user does not write beside itself.
        dossier = DonneesProgramme::DossierPerso();
        QDir().mkpath(dossier);
    }
    m_cheminFor = Catalogue::Fichier(dossier, base, QStringLiteral("FOR"));
    m_cheminGap = Catalogue::Fichier(dossier, base, QStringLiteral("GAP"));
    QString lireFor = m_cheminFor, lireGap = m_cheminGap;
    // The catalogue that came with the program (beside it, or in share/carnet/ once
    // installed), until the user has one of their own.
    if (!QFileInfo::exists(m_cheminFor)) {
        for (const QString& livre : DonneesProgramme::Dossiers(dossierProgramme)) {
            const QString formats = Catalogue::Fichier(livre, base, QStringLiteral("FOR"));
            if (!QFileInfo::exists(formats)) continue;
            lireFor = formats;
            lireGap = Catalogue::Fichier(livre, base, QStringLiteral("GAP"));
            break;
        }
    }
    return m_catalogue.Lit(lireFor, lireGap, index);
}

QString TMailing::EnregistreCatalogue() const
{
    if (m_cheminFor.isEmpty()) return {};
    return m_catalogue.Ecrit(m_cheminFor, m_cheminGap);
}

void TMailing::Disponible(bool oui)
{
    if (QAction* bouton = m_fiche.Menus()->Bouton(TMenusFiche::Commande::Mailing))
        bouton->setEnabled(oui);
}

void TMailing::Lance()
{
    enum Etape { Choix, Format, Mail, Fin };
    Disponible(false);
    // A book open read-only keeps its mailing flags: the choice serves this mailing,
    // and the flags are put back when the wizard ends. Its records keep their order
    // meanwhile (no sort from the chooser), so each flag goes back to its record.
    Repertoire& rep = m_fiche.Rep();
    const bool lectureSeule = m_fiche.Document()->LectureSeule();
    const bool modifie = rep.Modifie();
    std::vector<std::string> flags;
    if (lectureSeule)
        for (int r = 0; r < rep.NbLignes(); ++r)
            flags.push_back(rep.FlagMail(r));
    m_choix->BoutonTrier()->setEnabled(!lectureSeule);
    m_choix->Remplit();
    Etape etape = Choix;
    while (etape != Fin) {
        switch (etape) {
        case Choix:
            if (m_choix->exec() != QDialog::Accepted) {
                etape = Fin;
                break;
            }
            m_nombre = m_choix->Applique();
            etape = Format;
            break;
        case Format: {
            const int r = m_format->exec();
            m_previs->close();
            if (r == TFormat::Precedent) {
                m_choix->Remplit();
                etape = Choix;
            } else if (r == TFormat::Suivant) {
                MajPlanches();
                etape = Mail;
            } else {
                etape = Fin;
            }
            break;
        }
        case Mail: {
            const int r = m_imail->exec();
            m_previs->close();
            if (r == TIMail::Precedent) {
                etape = Format;
            } else {
                if (r == TIMail::Imprimer) Imprime();
                etape = Fin;
            }
            break;
        }
        case Fin:
            break;
        }
    }
    if (lectureSeule) {
        for (int r = 0; r < rep.NbLignes() && r < static_cast<int>(flags.size()); ++r)
            rep.SetFlagMail(r, flags[static_cast<size_t>(r)]);
        rep.SetModifie(modifie);
    }
    Disponible(true);
    m_fiche.AfficheFiche();
}

void TMailing::MajPlanches()
{
    const FormatEtiquette& f = m_catalogue.FormatCourant();
    const MiseEnPage page(f);
    // A start position kept from another format is brought inside this one.
    m_previs->Alimente(f, f.Nom());
    m_previs->SetDepart(m_previs->ColonneDepart(), m_previs->LigneDepart());
    m_imail->SetPlanches(
        page.NombrePlanches(m_nombre, m_previs->ColonneDepart(), m_previs->LigneDepart()));
}

void TMailing::Position1Click()
{
    const FormatEtiquette& f = m_catalogue.FormatCourant();
    m_previs->SetMode(TPrevis::Depart);
    m_previs->Alimente(f, f.Nom());
    m_previs->SetDepart(m_previs->ColonneDepart(), m_previs->LigneDepart());
    m_previs->SetZoneImprimable(ImpressionEtiquettes::ZoneImprimable(m_imail->Imprimante()));
    m_previs->exec();
}

std::unique_ptr<TMailing::Envoi> TMailing::NouvelEnvoi() const
{
    return std::make_unique<Envoi>(m_fiche.Rep(), m_catalogue.FormatCourant(), m_nombre,
                                   m_previs->ColonneDepart(), m_previs->LigneDepart(),
                                   m_imail->Options());
}

void TMailing::Previsualisation1Click()
{
    const std::unique_ptr<Envoi> envoi = NouvelEnvoi();
    {
        CurseurOccupe occupe;
        m_fpPrev->Prepare(&envoi->rendu,
                          ImpressionEtiquettes::ZoneImprimable(m_imail->Imprimante()));
    }
    m_fpPrev->exec();
    m_fpPrev->Prepare(nullptr, QRectF());
}

// Before the job: labels whose text will be cut are counted and told.
bool TMailing::ConfirmeImpression()
{
    m_envoi = NouvelEnvoi();
    int rognees = 0;
    {
        CurseurOccupe occupe;
        rognees = m_envoi->rendu.Rognees();
    }
    if (rognees == 0) return true;
    const QString conseil =
        rognees == 1 ? QString::fromUtf8("La prévisualisation la montre encadrée de rouge ; une "
                                         "police plus petite ou un format d'étiquette plus grand "
                                         "peut la faire tenir.")
                     : QString::fromUtf8("La prévisualisation les montre encadrées de rouge ; une "
                                         "police plus petite ou un format d'étiquette plus grand "
                                         "peut les faire tenir.");
    if (TMessage::QuestionOuiNon(m_imail,
                                 TFpPrev::TexteRognees(rognees, m_envoi->rendu.NombreEtiquettes()) +
                                     QStringLiteral("\n\n") + conseil +
                                     QString::fromUtf8("\n\nImprimer quand même ?"),
                                 QStringLiteral("Impression d'étiquettes")) == TMessage::Oui)
        return true;
    m_envoi.reset();
    return false;
}

void TMailing::Imprime()
{
    const OptionsMailing& o = m_imail->Options();
    if (!m_envoi) m_envoi = NouvelEnvoi();
    QPrinter& imprimante = m_imail->Imprimante();
    QString erreur;
    {
        CurseurOccupe occupe;
        erreur = ImpressionEtiquettes::Imprime(imprimante, m_envoi->rendu,
                                               QPointF(o.decalageX / 10.0, o.decalageY / 10.0));
    }
    m_envoi.reset();
    if (!erreur.isEmpty())
        TMessage::Erreur(&m_fiche,
                         QString::fromUtf8("Les étiquettes n'ont pas été imprimées.\n\n") + erreur);
    else if (imprimante.outputFormat() == QPrinter::PdfFormat)
        TMessage::Information(&m_fiche,
                              QString::fromUtf8("Les étiquettes ont été enregistrées dans le "
                                                "fichier « %1 ».")
                                  .arg(QDir::toNativeSeparators(imprimante.outputFileName())),
                              QStringLiteral("Impression d'étiquettes"));
}
