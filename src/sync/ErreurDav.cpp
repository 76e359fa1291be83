#include "ErreurDav.h"

#include <QRegularExpression>

namespace
{

QString Fr(const char* texte)
{
    return QString::fromUtf8(texte);
}

// What a server wrote in an error page, readable in a message box: the text without
// its markup, or the names of the elements of an XML error, cut to a few lines.
QString RaisonDuCorps(const QByteArray& corps)
{
    constexpr int Longueur = 400;
    const QString brut = QString::fromUtf8(corps.left(16 * 1024));
    static const QRegularExpression balise(QStringLiteral("<[^>]*>"));
    static const QRegularExpression blancs(QStringLiteral("\\s+"));
    static const QRegularExpression nomElement(QStringLiteral("<([A-Za-z_][-.\\w]*:)?([-.\\w]+)"));
    static const QRegularExpression enTete(QStringLiteral("<\\?[^>]*\\?>"));
    QString sansEnTete = brut;
    sansEnTete.remove(enTete);
    QString texte = QString(sansEnTete).replace(balise, QStringLiteral(" "));
    texte = texte.replace(blancs, QStringLiteral(" ")).trimmed();
    if (texte.isEmpty() && sansEnTete.contains(QLatin1Char('<'))) {
        QStringList noms;
        auto it = nomElement.globalMatch(sansEnTete);
        while (it.hasNext()) {
            const QString nom = it.next().captured(2);
            if (nom != QLatin1String("error") && !noms.contains(nom)) noms << nom;
        }
        texte = noms.join(QStringLiteral(", "));
    }
    for (QChar& c : texte)
        if (c.category() == QChar::Other_Control) c = QLatin1Char(' ');
    if (texte.size() > Longueur) texte = texte.left(Longueur) + QStringLiteral("…");
    return texte;
}

} // namespace

ErreurDav::ErreurDav(Genre genre, const QString& message, const QString& details, int statut)
    : m_genre(genre), m_statut(statut), m_message(message), m_details(details)
{
}

QString ErreurDav::Texte() const
{
    if (m_details.isEmpty()) return m_message;
    return m_message + QStringLiteral("\n\n") + m_details;
}

ErreurDav ErreurDav::Annulation()
{
    return ErreurDav(Genre::Annulee, Fr("Opération annulée."));
}

ErreurDav ErreurDav::DeStatut(int statut, const QString& raison, const QByteArray& corps,
                              const QString& ressource, bool creation)
{
    const QString code = raison.isEmpty()
                             ? QStringLiteral("HTTP %1").arg(statut)
                             : QStringLiteral("HTTP %1 %2").arg(statut).arg(raison.trimmed());
    const QString details = RaisonDuCorps(corps);
    const auto cree = [&](Genre genre, const QString& texte) {
        return ErreurDav(genre, texte + QStringLiteral(" (") + code + QStringLiteral(")."),
                         details.isEmpty() ? QString() : Fr("Le serveur dit : ") + details, statut);
    };
    switch (statut) {
    case 401:
        return cree(Genre::Authentification,
                    Fr("Le serveur a refusé le nom d'utilisateur ou le mot de passe"));
    case 403:
        return cree(Genre::Refus, Fr("Le serveur refuse l'accès à « %1 »").arg(ressource));
    case 404:
    case 410:
        return cree(Genre::Introuvable, Fr("« %1 » n'existe pas sur le serveur").arg(ressource));
    case 405:
    case 501:
        return cree(Genre::NonSupporte,
                    Fr("Le serveur ne permet pas cette opération sur « %1 »").arg(ressource));
    case 412:
        return cree(
            Genre::Precondition,
            creation ? Fr("Une carte existe déjà à l'adresse « %1 » sur le serveur").arg(ressource)
                     : Fr("La carte « %1 » a été modifiée ou supprimée sur le serveur "
                          "depuis la dernière synchronisation")
                           .arg(ressource));
    case 507:
        return cree(Genre::Serveur,
                    Fr("Le serveur manque de place pour enregistrer « %1 »").arg(ressource));
    default:
        break;
    }
    if (statut >= 500)
        return cree(Genre::Serveur,
                    Fr("Le serveur a rencontré une erreur en traitant « %1 »").arg(ressource));
    if (statut >= 300 && statut < 400)
        return cree(Genre::Serveur,
                    Fr("Le serveur renvoie « %1 » vers une autre adresse qu'il ne donne pas "
                       "correctement")
                        .arg(ressource));
    return cree(Genre::Refus, Fr("Le serveur refuse la requête sur « %1 »").arg(ressource));
}

ErreurDav ErreurDav::DuReseau(QNetworkReply::NetworkError code, const QString& texteSysteme,
                              const QString& hote)
{
    using E = QNetworkReply::NetworkError;
    QString texte;
    Genre genre = Genre::Reseau;
    switch (code) {
    case E::ConnectionRefusedError:
        texte = Fr("Le serveur « %1 » refuse la connexion : il n'est peut-être pas démarré, "
                   "ou l'adresse ou le port ne sont pas les bons.");
        break;
    case E::RemoteHostClosedError:
        texte = Fr("Le serveur « %1 » a coupé la connexion avant la fin de l'échange.");
        break;
    case E::HostNotFoundError:
        texte = Fr("Le serveur « %1 » est introuvable : vérifiez l'adresse et la connexion à "
                   "Internet.");
        break;
    case E::TimeoutError:
        genre = Genre::Delai;
        texte = Fr("Le serveur « %1 » ne répond pas.");
        break;
    case E::SslHandshakeFailedError:
        genre = Genre::Certificat;
        texte = Fr("La connexion chiffrée avec le serveur « %1 » n'a pas pu être établie.");
        break;
    case E::TemporaryNetworkFailureError:
    case E::NetworkSessionFailedError:
    case E::UnknownNetworkError:
        texte = Fr("Le réseau n'est pas disponible pour joindre le serveur « %1 ».");
        break;
    case E::ProxyConnectionRefusedError:
    case E::ProxyConnectionClosedError:
    case E::ProxyNotFoundError:
    case E::ProxyTimeoutError:
    case E::ProxyAuthenticationRequiredError:
    case E::UnknownProxyError:
        texte = Fr("Le serveur mandataire (proxy) ne permet pas de joindre le serveur « %1 ».");
        break;
    case E::ProtocolFailure:
    case E::ProtocolUnknownError:
    case E::ProtocolInvalidOperationError:
        genre = Genre::ReponseInvalide;
        texte = Fr("Le serveur « %1 » a répondu d'une façon incompréhensible.");
        break;
    default:
        texte = Fr("L'échange avec le serveur « %1 » a échoué.");
        break;
    }
    return ErreurDav(genre, texte.arg(hote), Fr("Raison donnée par le système : ") + texteSysteme);
}
