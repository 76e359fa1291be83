#pragma once

#include <QString>
#include <QUrl>

// The desktop's handlers of links: a new message through the "mailto:" handler, a web
// page in the browser.
class LiensBureau
{
public:
    // "mailto:" followed by the address, every character but letters, digits, "@" and
    // "-._~" percent-encoded: whatever the field holds, the link names one recipient
    // and carries no header, body or attachment.
    static QUrl LienCourriel(const QString& adresse);
    // False when the desktop could not hand the link to a program.
    static bool OuvreCourriel(const QString& adresse);

    // The program's web page; empty while it has none.
    static QString AdresseSiteWeb();
    // The page the web-site command opens: the program's web page, or, while it has
    // none, its French help written as a local page into `dossierAide`. Empty with
    // the French reason when that page cannot be written.
    static QUrl PageSiteWeb(const QString& dossierAide, QString* raison);
    static bool Ouvre(const QUrl& lien);
};
