#include "CorpsDav.h"

#include "sync/EspacesDav.h"

#include <QXmlStreamWriter>
#include <initializer_list>

namespace
{

enum class Espace { Dav, Card, Cs };
struct Propriete {
    Espace espace;
    const char* nom;
};

class Ecrivain
{
public:
    Ecrivain() : m_xml(&m_octets)
    {
        m_xml.writeStartDocument();
        m_xml.writeNamespace(EspacesDav::Dav, QStringLiteral("d"));
        m_xml.writeNamespace(EspacesDav::CardDav, QStringLiteral("card"));
        m_xml.writeNamespace(EspacesDav::CalendarServer, QStringLiteral("cs"));
    }
    QXmlStreamWriter& operator*() { return m_xml; }
    QXmlStreamWriter* operator->() { return &m_xml; }
    void Proprietes(std::initializer_list<Propriete> proprietes)
    {
        m_xml.writeStartElement(EspacesDav::Dav, QStringLiteral("prop"));
        for (const Propriete& p : proprietes)
            m_xml.writeEmptyElement(Uri(p.espace), QLatin1String(p.nom));
        m_xml.writeEndElement();
    }
    QByteArray Fin()
    {
        m_xml.writeEndDocument();
        return m_octets;
    }
    static QLatin1String Uri(Espace e)
    {
        return e == Espace::Dav    ? EspacesDav::Dav
               : e == Espace::Card ? EspacesDav::CardDav
                                   : EspacesDav::CalendarServer;
    }

private:
    QByteArray m_octets;
    QXmlStreamWriter m_xml;
};

QByteArray Propfind(std::initializer_list<Propriete> proprietes)
{
    Ecrivain e;
    e->writeStartElement(EspacesDav::Dav, QStringLiteral("propfind"));
    e.Proprietes(proprietes);
    e->writeEndElement();
    return e.Fin();
}

} // namespace

QByteArray CorpsDav::ProprietesDecouverte()
{
    return Propfind({{Espace::Dav, "resourcetype"},
                     {Espace::Dav, "displayname"},
                     {Espace::Dav, "current-user-principal"},
                     {Espace::Card, "addressbook-home-set"},
                     {Espace::Cs, "getctag"},
                     {Espace::Dav, "sync-token"},
                     {Espace::Dav, "supported-report-set"}});
}

QByteArray CorpsDav::ProprietesCarnets()
{
    return Propfind({{Espace::Dav, "resourcetype"},
                     {Espace::Dav, "displayname"},
                     {Espace::Cs, "getctag"},
                     {Espace::Dav, "sync-token"},
                     {Espace::Dav, "supported-report-set"}});
}

QByteArray CorpsDav::ProprietesListage()
{
    return Propfind({{Espace::Dav, "resourcetype"},
                     {Espace::Dav, "getetag"},
                     {Espace::Dav, "getcontenttype"},
                     {Espace::Cs, "getctag"},
                     {Espace::Dav, "sync-token"}});
}

QByteArray CorpsDav::ProprieteEtag()
{
    return Propfind({{Espace::Dav, "getetag"}});
}

QByteArray CorpsDav::SyncCollection(const QString& jeton)
{
    Ecrivain e;
    e->writeStartElement(EspacesDav::Dav, QStringLiteral("sync-collection"));
    e->writeTextElement(EspacesDav::Dav, QStringLiteral("sync-token"), jeton);
    e->writeTextElement(EspacesDav::Dav, QStringLiteral("sync-level"), QStringLiteral("1"));
    e.Proprietes({{Espace::Dav, "getetag"}});
    e->writeEndElement();
    return e.Fin();
}

QByteArray CorpsDav::Multiget(const QStringList& hrefs)
{
    Ecrivain e;
    e->writeStartElement(EspacesDav::CardDav, QStringLiteral("addressbook-multiget"));
    e.Proprietes({{Espace::Dav, "getetag"}, {Espace::Card, "address-data"}});
    for (const QString& href : hrefs)
        e->writeTextElement(EspacesDav::Dav, QStringLiteral("href"), href);
    e->writeEndElement();
    return e.Fin();
}

QByteArray CorpsDav::CreationCarnet(const QString& nom)
{
    Ecrivain e;
    e->writeStartElement(EspacesDav::Dav, QStringLiteral("mkcol"));
    e->writeStartElement(EspacesDav::Dav, QStringLiteral("set"));
    e->writeStartElement(EspacesDav::Dav, QStringLiteral("prop"));
    e->writeStartElement(EspacesDav::Dav, QStringLiteral("resourcetype"));
    e->writeEmptyElement(EspacesDav::Dav, QStringLiteral("collection"));
    e->writeEmptyElement(EspacesDav::CardDav, QStringLiteral("addressbook"));
    e->writeEndElement();
    e->writeTextElement(EspacesDav::Dav, QStringLiteral("displayname"), nom);
    e->writeEndElement();
    e->writeEndElement();
    e->writeEndElement();
    return e.Fin();
}
