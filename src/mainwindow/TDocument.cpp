#include "TDocument.h"

#include "mainwindow/ModeleRepertoire.h"
#include "records/ErreurSysteme.h"
#include "records/FichierRep.h"
#include "records/FichierSur.h"
#include "ui/CurseurOccupe.h"
#include "ui/TMessage.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QScopeGuard>

TDocument::TDocument(ModeleRepertoire& modele, QWidget* fenetre)
    : QObject(fenetre), m_modele(modele), m_fenetre(fenetre)
{
    ChoisitFichierOuvrir = [this] { return DialogueOuvrir(); };
    ChoisitFichierEnregistrer = [this] { return DialogueEnregistrer(); };
}

namespace
{
QString NomFichier(const QString& chemin)
{
    return QFileInfo(chemin).fileName();
}

bool MemeLivre(const QString& a, const QString& b)
{
    return !a.isEmpty() && !b.isEmpty() &&
           VerrouRepertoire::CheminVerrou(a) == VerrouRepertoire::CheminVerrou(b);
}
} // namespace

QString TDocument::FiltreFichiers()
{
    return QString::fromUtf8("Répertoire (*.REP)");
}

QString TDocument::TexteModifieSurDisque()
{
    return QString::fromUtf8("Le fichier a été modifié par un autre programme depuis son "
                             "ouverture.");
}

QDateTime TDocument::Maintenant() const
{
    return Horloge ? Horloge() : QDateTime::currentDateTimeUtc();
}

void TDocument::SetLectureSeule(bool lectureSeule)
{
    // The model refuses edits itself, whatever window or command would make them.
    m_modele.SetLectureSeule(lectureSeule);
    if (m_lectureSeule == lectureSeule) return;
    m_lectureSeule = lectureSeule;
    emit LectureSeuleChangee(lectureSeule);
}

bool TDocument::DemandeEnregistrement()
{
    if (!m_modele.Rep().Modifie()) return true;
    switch (TMessage::Question(
        m_fenetre, QString::fromUtf8("Le répertoire a été modifié. Voulez-vous l'enregistrer ?"),
        QString::fromUtf8("Confirmation"))) {
    case TMessage::Oui:
        Enregistrer();
        return !m_modele.Rep().Modifie();
    case TMessage::Non:
        return true;
    default:
        return false;
    }
}

bool TDocument::Nouveau()
{
    if (!DemandeEnregistrement()) return false;
    m_modele.Nouveau();
    m_verrou.Libere();
    m_empreinte = {};
    m_signale = {};
    SetLectureSeule(false);
    emit NomChange();
    return true;
}

bool TDocument::Ouvrir()
{
    if (!DemandeEnregistrement()) return false;
    const QString chemin = ChoisitFichierOuvrir ? ChoisitFichierOuvrir() : QString();
    if (chemin.isEmpty()) return false;
    return Charge(chemin);
}

// Who may write the book at `chemin`: this copy, with the lock taken; nobody, when
// the folder or the file refuses it, or when the user chooses to read a book
// another copy holds; or nobody opens it at all.
TDocument::Decision TDocument::DecideAcces(const QString& chemin)
{
    Decision d;
    if (m_verrou.Detenu() && MemeLivre(m_verrou.Livre(), chemin)) {
        d.acces = Acces::Ecriture;
        d.gardeVerrou = true;
        return d;
    }
    const VerrouRepertoire::Resultat r = d.verrou.Prend(chemin);
    switch (r.issue) {
    case VerrouRepertoire::Issue::Pris:
        if (QFileInfo(chemin).exists() && !QFileInfo(chemin).isWritable()) {
            d.verrou.Libere();
            d.acces = Acces::LectureSeule;
            d.message =
                QString::fromUtf8("Vous n'avez pas le droit de modifier le fichier « %1 » : "
                                  "il est ouvert en lecture seule.")
                    .arg(QDir::toNativeSeparators(chemin));
        } else {
            d.acces = Acces::Ecriture;
        }
        return d;
    case VerrouRepertoire::Issue::Impossible:
        d.acces = Acces::LectureSeule;
        d.message = QString::fromUtf8("Le dossier « %1 » n'accepte pas d'écriture (%2) : le "
                                      "répertoire est ouvert en lecture seule.")
                        .arg(QDir::toNativeSeparators(QFileInfo(chemin).absolutePath()),
                             ErreurSysteme::Numero(r.erreur));
        return d;
    case VerrouRepertoire::Issue::Occupe:
        break;
    }
    QString texte =
        QString::fromUtf8("Le répertoire « %1 » est déjà ouvert par %2.")
            .arg(NomFichier(chemin),
                 VerrouRepertoire::Description(r.detenteur, Maintenant(),
                                               r.autreOrdinateur || !r.detenteur.connu));
    if (r.autreOrdinateur)
        texte += QString::fromUtf8("\n\nCe verrou a été posé depuis un autre ordinateur. Si le "
                                   "programme n'y est plus ouvert (arrêt brutal), le verrou "
                                   "disparaîtra à la prochaine ouverture du répertoire sur « %1 ».")
                     .arg(r.detenteur.hote);
    texte += QString::fromUtf8("\n\nEn lecture seule, vous pouvez consulter, imprimer et "
                               "exporter le répertoire sans risque. Si vous l'ouvrez quand même, "
                               "le programme vous préviendra avant de remplacer des modifications "
                               "enregistrées entre-temps par l'autre copie.");
    const int choix =
        TMessage::Choix(m_fenetre, texte, QString::fromUtf8("Répertoire déjà ouvert"),
                        {QString::fromUtf8("Ouvrir en lecture seule"),
                         QString::fromUtf8("Ouvrir quand même"), QString::fromUtf8("Annuler")},
                        0, 2);
    d.verrou = VerrouRepertoire();
    d.acces = choix == 0 ? Acces::LectureSeule : choix == 1 ? Acces::Ecriture : Acces::Annule;
    return d;
}

bool TDocument::Charge(const QString& chemin)
{
    const QString absolu = QFileInfo(chemin).absoluteFilePath();
    Decision decision = DecideAcces(absolu);
    if (decision.acces == Acces::Annule) return false;
    return ChargeAvec(absolu, std::move(decision));
}

bool TDocument::ChargeAvec(const QString& chemin, Decision decision)
{
    Repertoire nouveau;
    EmpreinteFichier empreinte;
    QString erreur;
    QString avertissement;
    {
        CurseurOccupe occupe;
        erreur = FichierRep::ChargeRepertoire(chemin, nouveau, &avertissement, -1,
                                              OuvertureSure::BlocParDefaut, &empreinte);
    }
    if (!erreur.isEmpty()) {
        TMessage::Erreur(m_fenetre, erreur);
        return false;
    }
    m_modele.Remplace(std::move(nouveau));
    // The previous book's lock goes, unless it is this one's.
    if (!decision.gardeVerrou) m_verrou = std::move(decision.verrou);
    m_empreinte = empreinte;
    m_signale = {};
    m_absenceSignalee = false;
    const bool lectureSeule = decision.acces == Acces::LectureSeule;
    SetLectureSeule(lectureSeule);
    emit NomChange();
    if (!decision.message.isEmpty())
        TMessage::Information(m_fenetre,
                              decision.message +
                                  QString::fromUtf8("\n\nPour garder des modifications, "
                                                    "enregistrez-le sous un autre nom, dans un "
                                                    "dossier où vous pouvez écrire."),
                              QString::fromUtf8("Lecture seule"));
    if (!avertissement.isEmpty())
        TMessage::Information(m_fenetre, avertissement, QString::fromUtf8("Avertissement"));
    return true;
}

bool TDocument::Enregistrer()
{
    Repertoire& rep = m_modele.Rep();
    const QString chemin = rep.FichierCourant();
    if (chemin.isEmpty() || m_lectureSeule) return EnregistrerSous();

    // The file on the disk must still be the one read or written last; a file that
    // appeared under a name never read is someone else's too.
    EmpreinteFichier actuelle;
    const EmpreinteFichier::Etat etat =
        m_empreinte.Valide()        ? m_empreinte.Compare(chemin, &actuelle)
        : QFileInfo::exists(chemin) ? EmpreinteFichier::Etat::Modifie
                                    : EmpreinteFichier::Etat::Inchange;
    if (etat == EmpreinteFichier::Etat::Inchange && actuelle.Valide()) m_empreinte = actuelle;
    if (etat != EmpreinteFichier::Etat::Inchange) {
        const QString texte =
            etat == EmpreinteFichier::Etat::Absent
                ? QString::fromUtf8("Le fichier « %1 » a été supprimé ou renommé par un autre "
                                    "programme depuis son ouverture.")
                      .arg(NomFichier(chemin))
                : TexteModifieSurDisque() +
                      QString::fromUtf8("\n\nL'enregistrer quand même remplacerait les "
                                        "modifications faites entre-temps dans « %1 ».")
                          .arg(NomFichier(chemin));
        switch (TMessage::Choix(m_fenetre, texte, QString::fromUtf8("Fichier modifié"),
                                {QString::fromUtf8("Enregistrer quand même"),
                                 QString::fromUtf8("Enregistrer sous..."),
                                 QString::fromUtf8("Annuler")},
                                1, 2)) {
        case 0:
            break;
        case 1:
            return EnregistrerSous();
        default:
            return false;
        }
    }

    // A book opened "quand même", or named before its file existed, takes the lock
    // once it is free; a lock file someone removed is put back.
    if (m_verrou.Detenu() && (!m_verrou.Intact() || !MemeLivre(m_verrou.Livre(), chemin)))
        m_verrou.Libere();
    if (!m_verrou.Detenu()) m_verrou.Prend(chemin);
    return Ecrit();
}

bool TDocument::Ecrit()
{
    Repertoire& rep = m_modele.Rep();
    if (AvantEcriture) AvantEcriture();
    QString erreur;
    EmpreinteFichier empreinte;
    {
        CurseurOccupe occupe;
        erreur = FichierRep::EcritRepertoire(rep.FichierCourant(), rep, &empreinte);
    }
    if (!erreur.isEmpty()) {
        TMessage::Erreur(m_fenetre, erreur);
        return false;
    }
    m_empreinte = empreinte;
    m_signale = {};
    m_absenceSignalee = false;
    if (ApresEcriture) ApresEcriture(rep.FichierCourant(), empreinte);
    if (FichierSur::ProprietairePerdu())
        TMessage::Information(
            m_fenetre,
            QString::fromUtf8("Le répertoire « %1 » est enregistré, mais le système n'a pas "
                              "permis de lui garder son propriétaire et son groupe : les autres "
                              "utilisateurs qui le partageaient n'y ont peut-être plus accès.")
                .arg(rep.FichierCourant()),
            QString::fromUtf8("Avertissement"));
    return true;
}

bool TDocument::EnregistrerSous()
{
    const QString choisi = ChoisitFichierEnregistrer ? ChoisitFichierEnregistrer() : QString();
    if (choisi.isEmpty()) return false;
    const QString chemin = QFileInfo(choisi).absoluteFilePath();
    Repertoire& rep = m_modele.Rep();
    const QString ancien = rep.FichierCourant();
    if (!m_lectureSeule && MemeLivre(ancien, chemin)) return Enregistrer();

    // Another name: a book another copy has open is not replaced under its feet.
    VerrouRepertoire verrou;
    const VerrouRepertoire::Resultat r = verrou.Prend(chemin);
    if (r.issue == VerrouRepertoire::Issue::Occupe) {
        TMessage::Erreur(m_fenetre,
                         QString::fromUtf8("Le répertoire « %1 » est ouvert par %2.\n\nIl ne peut "
                                           "pas être remplacé tant qu'il est ouvert : choisissez "
                                           "un autre nom.")
                             .arg(NomFichier(chemin),
                                  VerrouRepertoire::Description(r.detenteur, Maintenant(), true)));
        return false;
    }
    // A name is taken only by a save that succeeds: after a failure the caption and
    // the next Ctrl+S keep the name the book had.
    rep.SetFichierCourant(chemin);
    emit NomChange();
    if (!Ecrit()) {
        rep.SetFichierCourant(ancien);
        emit NomChange();
        return false;
    }
    // The book is now this file, writable, with its own lock; the old one goes.
    m_verrou = std::move(verrou);
    SetLectureSeule(false);
    emit NomChange();
    return true;
}

void TDocument::Ferme()
{
    m_verrou.Libere();
}

bool TDocument::VerifieDisque()
{
    const QString chemin = m_modele.Rep().FichierCourant();
    if (m_verification || chemin.isEmpty() || !m_empreinte.Valide()) return false;
    EmpreinteFichier actuelle;
    const EmpreinteFichier::Etat etat = m_empreinte.Compare(chemin, &actuelle);
    if (etat == EmpreinteFichier::Etat::Inchange) {
        if (actuelle.Valide()) m_empreinte = actuelle;
        m_signale = {};
        m_absenceSignalee = false;
        return false;
    }
    m_verification = true;
    const auto fin = qScopeGuard([this] { m_verification = false; });
    if (etat == EmpreinteFichier::Etat::Absent) {
        if (m_absenceSignalee) return false;
        m_absenceSignalee = true;
        TMessage::Avertissement(
            m_fenetre,
            QString::fromUtf8("Le fichier « %1 » a été supprimé ou renommé par un autre "
                              "programme depuis son ouverture.\n\nLe répertoire reste ouvert ; "
                              "l'enregistrer le recréera.")
                .arg(QDir::toNativeSeparators(chemin)),
            QString::fromUtf8("Fichier modifié"));
        return false;
    }
    m_absenceSignalee = false;
    // Each change is told once; the save asks again before replacing it.
    if (m_signale.MemeIdentite(actuelle)) return false;
    m_signale = actuelle;
    const QString texte =
        TexteModifieSurDisque() + QStringLiteral("\n(%1)").arg(QDir::toNativeSeparators(chemin));
    if (m_modele.Rep().Modifie()) {
        TMessage::Avertissement(
            m_fenetre,
            texte + QString::fromUtf8("\n\nVos modifications ne sont pas enregistrées. A "
                                      "l'enregistrement, vous pourrez choisir de remplacer le "
                                      "fichier ou de l'enregistrer sous un autre nom."),
            QString::fromUtf8("Fichier modifié"));
        return false;
    }
    if (TMessage::QuestionOuiNon(m_fenetre,
                                 texte + QString::fromUtf8("\n\nVoulez-vous le "
                                                           "recharger ?"),
                                 QString::fromUtf8("Fichier modifié")) != TMessage::Oui)
        return false;
    // The same access as before: the lock kept, or still read-only.
    Decision decision;
    decision.acces = m_lectureSeule ? Acces::LectureSeule : Acces::Ecriture;
    decision.gardeVerrou = true;
    return ChargeAvec(chemin, std::move(decision));
}

QString TDocument::DossierInitial() const
{
    const QString courant = m_modele.Rep().FichierCourant();
    if (!courant.isEmpty() && QFileInfo(courant).absoluteDir().exists())
        return QFileInfo(courant).absolutePath();
    return QDir::homePath();
}

namespace
{
// The save dialog takes a name only in a folder that exists.
class DialogueFichierRep : public QFileDialog
{
public:
    using QFileDialog::QFileDialog;

    void accept() override
    {
        if (acceptMode() == AcceptSave) {
            const QStringList choisis = selectedFiles();
            if (!choisis.isEmpty()) {
                const QFileInfo fichier(choisis.constFirst());
                if (!QFileInfo(fichier.absolutePath()).isDir()) {
                    TMessage::Erreur(this,
                                     QString::fromUtf8("Le dossier « %1 » n'existe pas.\n"
                                                       "Choisissez un dossier existant.")
                                         .arg(QDir::toNativeSeparators(fichier.absolutePath())));
                    return;
                }
            }
        }
        QFileDialog::accept();
    }
};
} // namespace

// The open and save dialogs differ only in their title, mode and proposed name.
QString TDocument::DialogueFichier(bool enregistrer)
{
    DialogueFichierRep dialogue(m_fenetre,
                                QString::fromUtf8(enregistrer ? "Enregistrer sous" : "Ouvrir"),
                                DossierInitial(), FiltreFichiers());
    dialogue.setOption(QFileDialog::DontUseNativeDialog);
    dialogue.setAcceptMode(enregistrer ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialogue.setFileMode(enregistrer ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    dialogue.setDefaultSuffix(QStringLiteral("REP"));
    const QString courant = m_modele.Rep().FichierCourant();
    if (enregistrer && !courant.isEmpty()) dialogue.selectFile(QFileInfo(courant).fileName());
    if (dialogue.exec() != QDialog::Accepted || dialogue.selectedFiles().isEmpty()) return {};
    return dialogue.selectedFiles().constFirst();
}

QString TDocument::DialogueOuvrir()
{
    return DialogueFichier(false);
}

QString TDocument::DialogueEnregistrer()
{
    return DialogueFichier(true);
}
