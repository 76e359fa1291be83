#include "TEchange.h"

#include "Exportation.h"
#include "ExportationVCard.h"
#include "Importation.h"
#include "LectureImport.h"
#include "LectureVCard.h"
#include "TAsso.h"
#include "TDialogueExport.h"
#include "TableImport.h"
#include "TitresImport.h"
#include "mainwindow/ModeleRepertoire.h"
#include "mainwindow/TDocument.h"
#include "mainwindow/TFiche.h"
#include "records/CheminsPhoto.h"
#include "records/TexteTaille.h"
#include "ui/CurseurOccupe.h"
#include "ui/TMessage.h"

#include <QAction>
#include <QCheckBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>

TEchange::TEchange(TFiche& fiche, TAsso& asso) : QObject(&fiche), m_fiche(fiche), m_asso(asso)
{
    ChoisitFichierExport = [this](TypeFichier& type) { return DialogueExport(type); };
    ChoisitFichierImport = [this](TypeFichier& type) { return DialogueImport(type); };
    ExecuteAsso = [](TAsso& asso) { return asso.exec() == QDialog::Accepted; };
    LimitesImport = [](int64_t fiches) { return LectureImport::DuLivre(fiches); };

    using C = TMenusFiche::Commande;
    TMenusFiche* menus = fiche.Menus();
    for (C c : {C::Exporter, C::Importer}) {
        menus->SetDisponible(c, true);
        const auto lance = [this, c] { c == C::Exporter ? Exporter1Click() : Importer1Click(); };
        connect(menus->Item(c), &QAction::triggered, this, lance);
        if (QAction* bouton = menus->Bouton(c)) connect(bouton, &QAction::triggered, this, lance);
    }
    // Importing adds records: not to a book open read-only.
    connect(fiche.Document(), &TDocument::LectureSeuleChangee, this,
            [menus](bool lectureSeule) { menus->SetDisponible(C::Importer, !lectureSeule); });
}

bool TEchange::Exporter1Click()
{
    m_fiche.ValideSaisieGrille();
    TypeFichier type = m_typeExport;
    const QString chemin = ChoisitFichierExport ? ChoisitFichierExport(type) : QString();
    // The dialog and its questions closed, the keyboard goes back to the book.
    m_fiche.activateWindow();
    if (chemin.isEmpty()) return false;
    m_typeExport = type;
    return Exporte(FormatEchange::AvecExtension(chemin, type), type,
                   FormatEchange::EstVCard(type) && m_exportChoisies);
}

bool TEchange::Exporte(const QString& chemin, TypeFichier type, bool choisies)
{
    QString erreur;
    ExportationVCard::Bilan bilan;
    {
        CurseurOccupe occupe;
        if (FormatEchange::EstVCard(type))
            erreur = ExportationVCard::Exporte(chemin, m_fiche.Rep(), type, choisies,
                                               m_fiche.DossierImages(), &bilan);
        else
            erreur = Exportation::ExportAddressBook(chemin, m_fiche.Rep(), type);
    }
    if (!erreur.isEmpty()) {
        TMessage::Erreur(&m_fiche, erreur);
        return false;
    }
    const QString compte = ExportationVCard::Compte(bilan);
    if (!compte.isEmpty()) TMessage::Information(&m_fiche, compte);
    return true;
}

bool TEchange::Importer1Click()
{
    if (m_fiche.Document()->LectureSeule()) return false;
    m_fiche.ValideSaisieGrille();
    TypeFichier type = m_typeImport;
    const QString chemin = ChoisitFichierImport ? ChoisitFichierImport(type) : QString();
    if (chemin.isEmpty()) {
        m_fiche.activateWindow();
        return false;
    }
    m_typeImport = type;
    const bool importe = Importe(chemin, type);
    // The dialogs and their boxes closed, the keyboard goes back to the book.
    m_fiche.activateWindow();
    return importe;
}

bool TEchange::Importe(const QString& chemin, TypeFichier type)
{
    if (m_fiche.Document()->LectureSeule()) return false;
    Repertoire& rep = m_fiche.Rep();
    const LectureImport::Limites limites =
        LimitesImport ? LimitesImport(rep.NbFiches()) : LectureImport::DuLivre(rep.NbFiches());
    TableImport table;
    Encodage::Bilan bilan;
    QString erreur;
    AssociationChamps initiale;
    LectureVCard vcard;
    const bool estVCard = FormatEchange::EstVCard(type);
    {
        CurseurOccupe occupe;
        erreur = estVCard ? vcard.Lit(chemin, table, initiale, &bilan, limites)
                          : LectureImport::ReadDelimitedFile(chemin, type, table, &bilan, limites);
    }
    if (!erreur.isEmpty()) {
        TMessage::Erreur(&m_fiche, erreur);
        return false;
    }
    std::vector<std::string> titres;
    for (int c = 0; c < NbColonnes; ++c)
        titres.push_back(rep.CelluleStr(c, 0));
    // A standard CSV often starts with its columns' names: not a record, and they
    // tell which column fills which field.
    if (type == TypeFichier::CsvStandard)
        table.SetLigneTitres(TitresImport::Reconnait(table, titres, initiale));
    if (table.NbFiches() == 0) {
        TMessage::Information(&m_fiche, QString::fromUtf8("Le fichier « %1 » ne contient que la "
                                                          "ligne des titres : il n'y a aucune "
                                                          "fiche à importer.")
                                            .arg(QDir::toNativeSeparators(chemin)));
        return false;
    }
    m_asso.Verifie = [&](const AssociationChamps& association) {
        const int64_t taille =
            Importation::TailleFichierApres(rep, table, association, limites.octets);
        if (taille <= limites.octets) return QString();
        return QString::fromUtf8("Avec ces associations, le répertoire ferait %1, plus que les %2 "
                                 "qu'un répertoire peut avoir sur cet ordinateur : il ne pourrait "
                                 "plus être ouvert.\nAssociez moins de champs, ou importez le "
                                 "fichier en plusieurs parties.")
            .arg(TexteTaille::Mo(taille, limites.octets), TexteTaille::Mo(limites.octets, taille));
    };
    m_asso.Prepare(titres, table, initiale);
    const bool accepte = ExecuteAsso && ExecuteAsso(m_asso);
    m_asso.Verifie = nullptr;
    if (!accepte) return false;

    int derniere = 1;
    LectureVCard::BilanPhotos photos;
    {
        CurseurOccupe occupe;
        // A card's picture goes to the images folder before its record names it.
        const std::vector<std::pair<int, std::string>> nomsPhotos =
            estVCard ? vcard.EcritPhotos(CheminsPhoto(m_fiche.DossierImages()), table,
                                         m_asso.Grid(), photos)
                     : std::vector<std::pair<int, std::string>>();
        m_fiche.Modele()->AjouteEnBloc(
            Importation::NbLignesAjoutees(rep, table), [&](Repertoire& r) {
                derniere = Importation::AppendImportedRecords(r, table, m_asso.Grid());
                const int premiere = derniere - table.NbFiches() + 1;
                for (const auto& [ligne, nom] : nomsPhotos)
                    r.SetCellule(Photo, premiere + ligne - table.PremiereFiche(), nom);
            });
    }
    m_fiche.AllerA(0, derniere);
    m_fiche.AfficheFiche();
    m_fiche.MajOnglets();
    QStringList compte{LectureImport::Compte(bilan)};
    if (estVCard) compte << vcard.Compte(photos);
    compte.removeAll(QString());
    if (!compte.isEmpty()) TMessage::Information(&m_fiche, compte.join(QLatin1Char('\n')));
    return true;
}

QString TEchange::DossierInitial() const
{
    const QString courant = m_fiche.Rep().FichierCourant();
    if (!courant.isEmpty() && QFileInfo(courant).absoluteDir().exists())
        return QFileInfo(courant).absolutePath();
    return QDir::homePath();
}

QString TEchange::DialogueExport(TypeFichier& type)
{
    TDialogueExport dialogue(
        &m_fiche, DossierInitial(), type,
        QFileInfo(FormatEchange::NomPropose(m_fiche.Rep().FichierCourant(), type)).fileName());
    dialogue.SetChoisies(m_exportChoisies);
    if (dialogue.exec() != QDialog::Accepted) return {};
    type = dialogue.Type();
    m_exportChoisies = dialogue.CaseChoisies()->isChecked();
    return dialogue.Fichier();
}

QString TEchange::DialogueImport(TypeFichier& type)
{
    QFileDialog dialogue(&m_fiche, QString::fromUtf8("Importation de fichier"), DossierInitial());
    dialogue.setOption(QFileDialog::DontUseNativeDialog);
    dialogue.setAcceptMode(QFileDialog::AcceptOpen);
    dialogue.setFileMode(QFileDialog::ExistingFile);
    dialogue.setNameFilters(FormatEchange::FiltresImport());
    dialogue.selectNameFilter(FormatEchange::Filtre(type));
    dialogue.setDefaultSuffix(FormatEchange::Extension(type));
    dialogue.selectFile(QStringLiteral("*.") + FormatEchange::Extension(type));
    // The pattern shown in the name follows the type chosen ("*.vcf" for vCard).
    connect(&dialogue, &QFileDialog::filterSelected, &dialogue, [&dialogue](const QString& filtre) {
        const QString extension = FormatEchange::Extension(FormatEchange::TypeDuFiltre(filtre));
        dialogue.setDefaultSuffix(extension);
        auto* nom = dialogue.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        if (nom && nom->text().startsWith(QStringLiteral("*.")))
            nom->setText(QStringLiteral("*.") + extension);
    });
    if (dialogue.exec() != QDialog::Accepted || dialogue.selectedFiles().isEmpty()) return {};
    type = FormatEchange::TypeDuFiltre(dialogue.selectedNameFilter());
    return dialogue.selectedFiles().constFirst();
}
