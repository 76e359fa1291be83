#include "TImpression.h"

#include "records/CheminsPhoto.h"

#include "mainwindow/TDocument.h"
#include "mainwindow/TFiche.h"
#include "mainwindow/TGrille.h"
#include "mainwindow/TPagesFiche.h"
#include "printing/CopieIntelligente.h"
#include "printing/DessinFiche.h"
#include "printing/FluxImpression.h"
#include "printing/GeometrieFiche.h"
#include "printing/ImpressionListe.h"
#include "printing/SurfacePeintre.h"
#include "printing/TCopyOpt.h"
#include "printing/TDialogueImpression.h"
#include "printing/TravailImpression.h"
#include "records/CodePage.h"
#include "ui/CurseurOccupe.h"
#include "ui/TMessage.h"
#include "ui/TitreFiche.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFontDialog>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPrinter>
#include <QProgressDialog>
#include <QScopedValueRollback>
#include <QTabWidget>
#include <QTextBlock>
#include <QTextLayout>

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
    // A PDF file can always be printed: the print command never waits for a printer.
    using C = TMenusFiche::Commande;
    TMenusFiche* menus = fiche.Menus();
    menus->SetDisponible(C::Copier, true);
    menus->SetDisponible(C::Imprimer, true);
    for (QAction* a : {menus->Item(C::Copier), menus->Bouton(C::Copier)})
        if (a) connect(a, &QAction::triggered, this, &TImpression::Copier1Click);
    for (QAction* a : {menus->Item(C::Imprimer), menus->Bouton(C::Imprimer)})
        if (a) connect(a, &QAction::triggered, this, &TImpression::Imprimer1Click);
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
    return m_fiche.ListeAffichee() ? ImprimeListe() : ImprimeFiche();
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
    const PlageCellules bloc = PlageGrille();
    ChoixImpression choix = ChoixPropose();
    // A block of cells selected is what the dialog proposes, as the button's hint says.
    choix.selection = !bloc.UneCellule();
    if (!ChoisitImpression(choix,
                           TDialogueImpression::AvecSelection | TDialogueImpression::AvecCopies))
        return false;
    m_dernierChoix.imprimante = choix.imprimante;
    QFont police = m_fiche.Grille()->font();
    if (!ChoisitPolice(police)) return false;

    const Repertoire& rep = m_fiche.Rep();
    const QString titre = ImpressionListe::Entete(rep.FichierCourant(), false);
    const QString entete = ImpressionListe::Entete(rep.FichierCourant(), choix.selection);
    const PlageCellules plage = ImpressionListe::PlageImprimee(rep, bloc, choix.selection);
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
    SurfacePeintre surface(peintre, travail.Device(),
                           [&travail] { return travail.NouvellePage(); });
    FluxImpression flux(surface);

    const int total = plage.NbLignes() * copies;
    QProgressDialog progression(QString::fromUtf8("Impression de la liste..."),
                                QStringLiteral("Annuler"), 0, total, &m_fiche);
    progression.setWindowTitle(QStringLiteral("Impression"));
    progression.setWindowModality(Qt::WindowModal);
    progression.setMinimumDuration(DelaiProgression);
    progression.setAutoReset(false);
    progression.setAutoClose(false);
    QScopedValueRollback<QProgressDialog*> enCours(m_progression, &progression);
    QElapsedTimer chrono;
    chrono.start();
    qint64 dernier = -1000;
    const auto avancement = [&](int faites) {
        // Ten times a second is enough for the eye and for the "Annuler" button;
        // repainting the box more often would slow a long list down.
        const qint64 maintenant = chrono.elapsed();
        if (maintenant - dernier < 100 && faites < total) return true;
        dernier = maintenant;
        QString texte = QString::fromUtf8("Impression de la liste : page %1").arg(flux.Pages());
        const QString restant = ImpressionListe::TempsRestant(maintenant, faites, total);
        texte += QString::fromUtf8("\nTemps restant : %1")
                     .arg(restant.isEmpty() ? QString::fromUtf8("calcul en cours…") : restant);
        progression.setLabelText(texte);
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
        const QString pourquoi = travail.Raison();
        travail.Abandonne();
        Echec(pourquoi);
        return false;
    }
    {
        CurseurOccupe occupe;
        progression.setLabelText(QString::fromUtf8("Impression de la liste : fin du document"));
        raison = travail.Termine();
    }
    progression.close();
    if (!raison.isEmpty()) {
        Echec(raison);
        return false;
    }
    DitFichierPdf(travail, QString::fromUtf8("La liste"));
    return true;
}

void TImpression::DitFichierPdf(const TravailImpression& travail, const QString& quoi)
{
    if (travail.FichierPdf().isEmpty()) return;
    TMessage::Information(&m_fiche,
                          QString::fromUtf8("%1 a été enregistrée dans le fichier « %2 ».")
                              .arg(quoi, QDir::toNativeSeparators(travail.FichierPdf())),
                          QStringLiteral("Impression"));
}

namespace
{

// The notes' lines as the memo wraps them on screen.
QStringList LignesAffichees(const QPlainTextEdit* memo)
{
    QStringList lignes;
    const qreal largeur = memo->viewport()->width() - 2 * memo->document()->documentMargin();
    QTextOption option;
    option.setWrapMode(memo->wordWrapMode());
    for (QTextBlock bloc = memo->document()->begin(); bloc.isValid(); bloc = bloc.next()) {
        const QString texte = bloc.text();
        QTextLayout disposition(texte, memo->font());
        disposition.setTextOption(option);
        disposition.beginLayout();
        for (QTextLine l = disposition.createLine(); l.isValid(); l = disposition.createLine())
            l.setLineWidth(largeur);
        disposition.endLayout();
        if (disposition.lineCount() == 0) lignes << QString();
        for (int i = 0; i < disposition.lineCount(); ++i) {
            const QTextLine l = disposition.lineAt(i);
            lignes << texte.mid(l.textStart(), l.textLength());
        }
    }
    return lignes;
}

int AlignementHorizontal(Qt::Alignment a)
{
    if (a & Qt::AlignHCenter) return Qt::AlignHCenter;
    if (a & (Qt::AlignRight | Qt::AlignTrailing)) return Qt::AlignRight;
    return Qt::AlignLeft;
}

} // namespace

PageImprimee TImpression::Releve() const
{
    using S = PageImprimee::Sorte;
    static const char* const suffixes[] = {
        " - Coordonnées privées", " - Coordonnées professionnelles", " - Coordonnées bancaires"};
    const int index = std::clamp(m_fiche.PageControl()->currentIndex(), 0, 2);
    TPagesFiche* pages = m_fiche.PagesFiche();
    const QWidget* page = pages->Page(static_cast<PageFiche>(index));

    PageImprimee r;
    r.titre = m_fiche.windowTitle() + QString::fromUtf8(suffixes[index]);
    {
        // The caption ends with the person's name in brackets.
        const QString debut = TitreFiche::Debut(m_fiche.Rep(), m_fiche.LigneCourante(),
                                                m_fiche.Document()->LectureSeule());
        const QString legende = m_fiche.windowTitle();
        if (legende.startsWith(debut) && legende.endsWith(QLatin1Char(']'))) {
            r.debutNom = static_cast<int>(debut.size());
            r.longueurNom = static_cast<int>(legende.size() - debut.size() - 1);
        }
    }
    r.taille = page->minimumSize();
    r.cadrePhoto = pages->CadrePhoto()->geometry();
    // Only a bare name, inside the images folder, is ever opened; the print reads the
    // file itself, at the printer's resolution, not the frame's small copy.
    r.photo = CheminsPhoto(m_fiche.DossierImages())
                  .Chemin(m_fiche.Rep().Cellule(Photo, m_fiche.LigneCourante()));
    for (const QWidget* w : page->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) {
        if (!w->isVisibleTo(page)) continue;
        PageImprimee::Element e{S::Libelle, w->geometry(), {}, Qt::AlignLeft, {}};
        if (const auto* l = qobject_cast<const QLabel*>(w)) {
            e.texte = l->text();
            e.alignement = AlignementHorizontal(l->alignment());
        } else if (const auto* c = qobject_cast<const QComboBox*>(w)) {
            e.sorte = S::Liste;
            e.texte = c->currentText();
        } else if (const auto* l = qobject_cast<const QLineEdit*>(w)) {
            e.sorte = S::Edition;
            e.texte = l->text();
        } else if (const auto* m = qobject_cast<const QPlainTextEdit*>(w)) {
            e.sorte = S::Notes;
            e.lignes = LignesAffichees(m);
        } else {
            continue; // the photo frame and the bevel are drawn apart, or not at all
        }
        r.elements.push_back(std::move(e));
    }
    return r;
}

void TImpression::DessineFiche(QPainter& peintre, const PageImprimee& page) const
{
    const QPaintDevice* device = peintre.device();
    const GeometrieFiche geometrie(double(device->logicalDpiX()) / m_fiche.logicalDpiX(),
                                   double(device->logicalDpiY()) / m_fiche.logicalDpiY(),
                                   device->width(), device->height(), page.taille);
    DessinFiche::DessinePage(peintre, page, geometrie);
}

bool TImpression::ImprimeFiche()
{
    ChoixImpression choix = ChoixPropose();
    if (!ChoisitImpression(choix, 0)) return false;
    m_dernierChoix.imprimante = choix.imprimante;

    QPrinter imprimante(QPrinter::HighResolution);
    choix.Applique(imprimante);
    imprimante.setDocName(QString::fromUtf8("Carnet d'adresses : Fiche"));
    imprimante.setPageOrientation(QPageLayout::Portrait);
    TravailImpression travail(imprimante);
    QString raison;
    {
        CurseurOccupe occupe;
        QCoreApplication::processEvents(); // the window repaints under the closed dialog
        const PageImprimee page = Releve();
        if (travail.Commence(&raison)) {
            DessineFiche(travail.Peintre(), page);
            raison = travail.Termine();
        }
    }
    if (!raison.isEmpty()) {
        Echec(raison);
        return false;
    }
    DitFichierPdf(travail, QString::fromUtf8("La fiche"));
    return true;
}
