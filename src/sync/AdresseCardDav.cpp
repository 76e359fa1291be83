#include "AdresseCardDav.h"

#include <QCryptographicHash>
#include <QHostAddress>

namespace
{

QString Fr(const char* texte)
{
    return QString::fromUtf8(texte);
}

QString AvecBarre(QString chemin)
{
    if (!chemin.endsWith(QLatin1Char('/'))) chemin += QLatin1Char('/');
    return chemin;
}

} // namespace

QUrl AdresseCardDav::Normalise(const QString& saisie, QString* raison)
{
    const auto refuse = [raison](const QString& texte) {
        if (raison) *raison = texte;
        return QUrl();
    };
    QString texte = saisie.trimmed();
    if (texte.isEmpty())
        return refuse(Fr("Indiquez l'adresse du serveur ou du carnet d'adresses."));
    if (!texte.contains(QLatin1String("://"))) texte.prepend(QLatin1String("https://"));
    QUrl url(texte, QUrl::StrictMode);
    if (!url.isValid() || url.host().isEmpty())
        return refuse(Fr("L'adresse « %1 » n'est pas une adresse valide.").arg(saisie.trimmed()));
    const QString schema = url.scheme().toLower();
    if (schema != QLatin1String("https") && schema != QLatin1String("http"))
        return refuse(Fr("L'adresse doit commencer par https:// (ou http://), pas par %1://.")
                          .arg(url.scheme()));
    if (!url.userInfo().isEmpty())
        return refuse(Fr("L'adresse ne doit contenir ni nom d'utilisateur ni mot de passe : "
                         "indiquez-les dans leurs propres champs."));
    url.setScheme(schema);
    url.setFragment(QString());
    if (url.path().isEmpty()) url.setPath(QStringLiteral("/"));
    if (raison) raison->clear();
    return url;
}

bool AdresseCardDav::Locale(const QUrl& url)
{
    const QString hote = url.host().toLower();
    if (hote == QLatin1String("localhost") || hote.endsWith(QLatin1String(".localhost")))
        return true;
    QHostAddress adresse;
    return adresse.setAddress(hote) && adresse.isLoopback();
}

bool AdresseCardDav::DemandeConfirmation(const QUrl& url)
{
    return url.scheme() == QLatin1String("http") && !Locale(url);
}

bool AdresseCardDav::RedirectionPermise(const QUrl& depuis, const QUrl& vers, bool httpAccepte)
{
    const QString schema = vers.scheme().toLower();
    if (schema == QLatin1String("https")) return !vers.host().isEmpty();
    if (schema != QLatin1String("http") || vers.host().isEmpty()) return false;
    if (depuis.scheme() == QLatin1String("https")) return false;
    if (Locale(vers)) return true;
    return httpAccepte && vers.host().compare(depuis.host(), Qt::CaseInsensitive) == 0;
}

QUrl AdresseCardDav::Resout(const QUrl& base, const QString& href)
{
    return base.resolved(QUrl(href.trimmed(), QUrl::TolerantMode));
}

QString AdresseCardDav::Canonique(const QUrl& base, const QString& href)
{
    return Resout(base, href).path(QUrl::FullyEncoded);
}

bool AdresseCardDav::MemeCollection(const QUrl& a, const QUrl& b)
{
    return a.scheme() == b.scheme() && a.host().compare(b.host(), Qt::CaseInsensitive) == 0 &&
           a.port(a.scheme() == QLatin1String("https") ? 443 : 80) ==
               b.port(b.scheme() == QLatin1String("https") ? 443 : 80) &&
           AvecBarre(a.path(QUrl::FullyEncoded)) == AvecBarre(b.path(QUrl::FullyEncoded));
}

QString AdresseCardDav::HrefNouvelleCarte(const QUrl& carnet, const QString& uid)
{
    // Servers store a card as a file named after the last segment of its address and
    // refuse names they cannot store safely (a "/" even percent-encoded, "..", a
    // leading dot): a UID made of other characters gets a name drawn from its hash,
    // the same each time, so that an upload repeated after a cut finds its card.
    bool sur = !uid.isEmpty() && uid.size() <= 64 && !uid.startsWith(QLatin1Char('.'));
    for (const QChar c : uid)
        sur = sur && c.unicode() < 128 &&
              (c.isLetterOrNumber() || c == QLatin1Char('-') || c == QLatin1Char('_') ||
               c == QLatin1Char('.') || c == QLatin1Char('@'));
    const QString nom =
        sur ? uid
            : QString::fromLatin1(QCryptographicHash::hash(uid.toUtf8(), QCryptographicHash::Sha256)
                                      .toHex()
                                      .left(32));
    return AvecBarre(carnet.path(QUrl::FullyEncoded)) + nom + QStringLiteral(".vcf");
}

QString AdresseCardDav::Hote(const QUrl& url)
{
    return url.port() == -1 ? url.host()
                            : url.host() + QLatin1Char(':') + QString::number(url.port());
}

QString AdresseCardDav::CleCoffre(const QUrl& adresse, const QString& utilisateur)
{
    return utilisateur + QLatin1Char('@') + adresse.scheme() + QStringLiteral("://") +
           Hote(adresse);
}
