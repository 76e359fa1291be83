#include "CompteSync.h"

#include "settings/Reglages.h"

QString CompteSync::Section()
{
    return QStringLiteral("Synchronisation CardDAV");
}

void CompteSync::Lit(const Reglages& r)
{
    adresse = r.ReadString(Section(), QStringLiteral("Adresse"), QString()).trimmed();
    utilisateur = r.ReadString(Section(), QStringLiteral("Utilisateur"), QString()).trimmed();
    banque = r.ReadBool(Section(), QStringLiteral("Banque"), false);
    httpAccepte = r.ReadBool(Section(), QStringLiteral("HttpAccepte"), false);
    certificat = QByteArray::fromHex(
        r.ReadString(Section(), QStringLiteral("Certificat"), QString()).toLatin1());
    if (certificat.size() != 32) certificat.clear();
}

void CompteSync::Ecrit(Reglages& r) const
{
    r.WriteString(Section(), QStringLiteral("Adresse"), adresse);
    r.WriteString(Section(), QStringLiteral("Utilisateur"), utilisateur);
    r.WriteBool(Section(), QStringLiteral("Banque"), banque);
    r.WriteBool(Section(), QStringLiteral("HttpAccepte"), httpAccepte);
    r.WriteString(Section(), QStringLiteral("Certificat"), QString::fromLatin1(certificat.toHex()));
}
