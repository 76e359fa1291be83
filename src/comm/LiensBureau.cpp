#include "LiensBureau.h"

#include "records/FichierSur.h"

#include <QDesktopServices>
#include <QDir>
#include <QFile>

namespace
{
// The one place the address lives: when the program has a public page, it goes here.
constexpr const char* SiteWeb = "";
} // namespace

QUrl LiensBureau::LienCourriel(const QString& adresse)
{
    const QByteArray encodee = adresse.toUtf8().toPercentEncoding(QByteArrayLiteral("@"));
    return QUrl::fromEncoded(QByteArrayLiteral("mailto:") + encodee, QUrl::StrictMode);
}

bool LiensBureau::OuvreCourriel(const QString& adresse)
{
    return Ouvre(LienCourriel(adresse));
}

QString LiensBureau::AdresseSiteWeb()
{
    return QString::fromUtf8(SiteWeb);
}

QUrl LiensBureau::PageSiteWeb(const QString& dossierAide, QString* raison)
{
    if (!AdresseSiteWeb().isEmpty()) return QUrl(AdresseSiteWeb());
    QFile aide(QStringLiteral(":/aide/adresses.html"));
    if (!aide.open(QIODevice::ReadOnly)) {
        if (raison) *raison = QString::fromUtf8("La page d'aide du programme est introuvable.");
        return {};
    }
    const QByteArray page = aide.readAll();
    const QString chemin = QDir(dossierAide).filePath(QStringLiteral("adresses.html"));
    QString erreur;
    if (!QDir().mkpath(dossierAide))
        erreur =
            QString::fromUtf8("Impossible de créer le dossier ") + dossierAide + QLatin1Char('.');
    else
        erreur = FichierSur::Ecrit(chemin, page.constData(), size_t(page.size()));
    if (!erreur.isEmpty()) {
        if (raison) *raison = erreur;
        return {};
    }
    return QUrl::fromLocalFile(chemin);
}

bool LiensBureau::Ouvre(const QUrl& lien)
{
    return QDesktopServices::openUrl(lien);
}
