#include "TCompteSync.h"

#include "sync/AdresseCardDav.h"
#include "ui/TMessage.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace
{

QString Fr(const char* texte)
{
    return QString::fromUtf8(texte);
}

} // namespace

TCompteSync::TCompteSync(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("CompteSync"));
    setWindowTitle(Fr("Synchronisation CardDAV"));
    m_adresse = new QLineEdit(this);
    m_adresse->setObjectName(QStringLiteral("Adresse"));
    m_adresse->setPlaceholderText(Fr("https://serveur.exemple/ ou l'adresse du carnet"));
    m_adresse->setMinimumWidth(380);
    m_utilisateur = new QLineEdit(this);
    m_utilisateur->setObjectName(QStringLiteral("Utilisateur"));
    m_motDePasse = new QLineEdit(this);
    m_motDePasse->setObjectName(QStringLiteral("MotDePasse"));
    m_motDePasse->setEchoMode(QLineEdit::Password);
    m_banque = new QCheckBox(Fr("Synchroniser aussi les coordonnées &bancaires"), this);
    m_banque->setObjectName(QStringLiteral("Banque"));
    m_note = new QLabel(this);
    m_note->setObjectName(QStringLiteral("Note"));
    m_note->setWordWrap(true);
    auto* explication = new QLabel(
        Fr("Le carnet est partagé avec un serveur CardDAV (Nextcloud, Radicale...), que les "
           "téléphones et les messageries synchronisent aussi. Sans cette case, les "
           "coordonnées bancaires restent sur cet ordinateur."),
        this);
    explication->setWordWrap(true);

    auto* formulaire = new QFormLayout;
    formulaire->addRow(Fr("&Adresse du serveur :"), m_adresse);
    formulaire->addRow(Fr("&Utilisateur :"), m_utilisateur);
    formulaire->addRow(Fr("&Mot de passe :"), m_motDePasse);
    auto* boutons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    boutons->button(QDialogButtonBox::Ok)->setText(Fr("OK"));
    boutons->button(QDialogButtonBox::Cancel)->setText(Fr("Annuler"));
    connect(boutons, &QDialogButtonBox::accepted, this, &TCompteSync::accept);
    connect(boutons, &QDialogButtonBox::rejected, this, &TCompteSync::reject);
    auto* tout = new QVBoxLayout(this);
    tout->addWidget(explication);
    tout->addLayout(formulaire);
    tout->addWidget(m_banque);
    tout->addWidget(m_note);
    tout->addWidget(boutons);
}

void TCompteSync::Montre(const CompteSync& compte, const QString& motDePasse,
                         const QString& noteCoffre)
{
    m_compte = compte;
    m_adresse->setText(compte.adresse);
    m_utilisateur->setText(compte.utilisateur);
    m_motDePasse->setText(motDePasse);
    m_banque->setChecked(compte.banque);
    m_note->setText(noteCoffre);
    m_note->setVisible(!noteCoffre.isEmpty());
}

QString TCompteSync::MotDePasse() const
{
    return m_motDePasse->text();
}

void TCompteSync::accept()
{
    QString raison;
    const QUrl url = AdresseCardDav::Normalise(m_adresse->text(), &raison);
    if (!url.isValid()) {
        TMessage::Erreur(this, raison);
        m_adresse->setFocus();
        return;
    }
    if (m_utilisateur->text().trimmed().isEmpty()) {
        TMessage::Erreur(this, Fr("Indiquez le nom d'utilisateur du compte."));
        m_utilisateur->setFocus();
        return;
    }
    CompteSync c = m_compte;
    const QString adresse = url.toString();
    if (adresse != c.adresse) {
        c.httpAccepte = false;
        c.certificat.clear();
    }
    if (AdresseCardDav::DemandeConfirmation(url) && !c.httpAccepte) {
        if (TMessage::QuestionOuiNon(
                this, Fr("L'adresse « %1 » n'est pas chiffrée (http://) : le mot de passe et les "
                         "fiches passeront en clair sur le réseau, lisibles par qui l'écoute.\n\n"
                         "Utiliser quand même cette adresse ?")
                          .arg(adresse)) != TMessage::Oui)
            return;
        c.httpAccepte = true;
    }
    c.adresse = adresse;
    c.utilisateur = m_utilisateur->text().trimmed();
    c.banque = m_banque->isChecked();
    m_compte = c;
    QDialog::accept();
}
