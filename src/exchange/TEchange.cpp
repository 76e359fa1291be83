#include "TEchange.h"

#include "Exportation.h"
#include "Importation.h"
#include "LectureImport.h"
#include "TAsso.h"
#include "TableImport.h"
#include "mainwindow/CurseurOccupe.h"
#include "mainwindow/ModeleRepertoire.h"
#include "mainwindow/TFiche.h"
#include "mainwindow/TMessage.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>

TEchange::TEchange(TFiche& fiche, TAsso& asso) : QObject(&fiche), m_fiche(fiche), m_asso(asso)
{
    ChoisitFichierExport = [this](TypeFichier& type) { return DialogueExport(type); };
    ChoisitFichierImport = [this](TypeFichier& type) { return DialogueImport(type); };
    ExecuteAsso = [](TAsso& asso) { return asso.exec() == QDialog::Accepted; };
}

bool TEchange::Exporter1Click()
{
    m_fiche.ValideSaisieGrille();
    TypeFichier type = m_typeExport;
    const QString chemin = ChoisitFichierExport ? ChoisitFichierExport(type) : QString();
    if (chemin.isEmpty()) return false;
    m_typeExport = type;
    const QString final = FormatEchange::AvecExtension(chemin, type);
    // The dialog asked about the name typed; the type may have changed it.
    if (QFileInfo(final).absoluteFilePath() != QFileInfo(chemin).absoluteFilePath() &&
        QFileInfo::exists(final) &&
        TMessage::Question(&m_fiche,
                           QString::fromUtf8("Le fichier « %1 » existe déjà.\nVoulez-vous le "
                                             "remplacer ?")
                               .arg(QDir::toNativeSeparators(final))) != TMessage::Oui)
        return false;
    return Exporte(final, type);
}

bool TEchange::Exporte(const QString& chemin, TypeFichier type)
{
    QString erreur;
    {
        CurseurOccupe occupe;
        erreur = Exportation::ExportAddressBook(chemin, m_fiche.Rep(), type);
    }
    if (!erreur.isEmpty()) {
        TMessage::Erreur(&m_fiche, erreur);
        return false;
    }
    return true;
}

bool TEchange::Importer1Click()
{
    m_fiche.ValideSaisieGrille();
    TypeFichier type = m_typeImport;
    const QString chemin = ChoisitFichierImport ? ChoisitFichierImport(type) : QString();
    if (chemin.isEmpty()) return false;
    m_typeImport = type;
    return Importe(chemin, type);
}

bool TEchange::Importe(const QString& chemin, TypeFichier type)
{
    TableImport table;
    Encodage::Bilan bilan;
    QString erreur;
    {
        CurseurOccupe occupe;
        erreur = LectureImport::ReadDelimitedFile(chemin, type, table, &bilan);
    }
    if (!erreur.isEmpty()) {
        TMessage::Erreur(&m_fiche, erreur);
        return false;
    }
    Repertoire& rep = m_fiche.Rep();
    std::vector<std::string> titres;
    for (int c = 0; c < NbColonnes; ++c)
        titres.push_back(rep.CelluleStr(c, 0));
    m_asso.Prepare(titres, table);
    if (!ExecuteAsso || !ExecuteAsso(m_asso)) return false;

    int derniere = 1;
    {
        CurseurOccupe occupe;
        m_fiche.Modele()->AjouteEnBloc(
            Importation::NbLignesAjoutees(rep, table), [&](Repertoire& r) {
                derniere = Importation::AppendImportedRecords(r, table, m_asso.Grid());
            });
    }
    m_fiche.AllerA(0, derniere);
    m_fiche.AfficheFiche();
    m_fiche.MajOnglets();
    const QString compte = LectureImport::Compte(bilan);
    if (!compte.isEmpty()) TMessage::Information(&m_fiche, compte);
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
    QFileDialog dialogue(&m_fiche, QString::fromUtf8("Exportation du carnet d'adresses"),
                         DossierInitial());
    dialogue.setOption(QFileDialog::DontUseNativeDialog);
    dialogue.setAcceptMode(QFileDialog::AcceptSave);
    dialogue.setFileMode(QFileDialog::AnyFile);
    dialogue.setNameFilters(FormatEchange::Filtres());
    dialogue.selectNameFilter(FormatEchange::Filtre(type));
    dialogue.setDefaultSuffix(QStringLiteral("CSV"));
    dialogue.selectFile(
        QFileInfo(FormatEchange::NomPropose(m_fiche.Rep().FichierCourant(), type)).fileName());
    if (dialogue.exec() != QDialog::Accepted || dialogue.selectedFiles().isEmpty()) return {};
    type = FormatEchange::TypeDuFiltre(dialogue.selectedNameFilter());
    return dialogue.selectedFiles().constFirst();
}

QString TEchange::DialogueImport(TypeFichier& type)
{
    QFileDialog dialogue(&m_fiche, QString::fromUtf8("Importation de fichier"), DossierInitial());
    dialogue.setOption(QFileDialog::DontUseNativeDialog);
    dialogue.setAcceptMode(QFileDialog::AcceptOpen);
    dialogue.setFileMode(QFileDialog::ExistingFile);
    dialogue.setNameFilters(FormatEchange::Filtres());
    dialogue.selectNameFilter(FormatEchange::Filtre(type));
    dialogue.setDefaultSuffix(QStringLiteral("CSV"));
    dialogue.selectFile(QStringLiteral("*.CSV"));
    if (dialogue.exec() != QDialog::Accepted || dialogue.selectedFiles().isEmpty()) return {};
    type = FormatEchange::TypeDuFiltre(dialogue.selectedNameFilter());
    return dialogue.selectedFiles().constFirst();
}
