#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// The XML bodies a CardDAV client sends: the properties asked by PROPFIND, the
// sync-collection and addressbook-multiget reports, the creation of an address book.
// Values (tokens, addresses, names) are escaped by the XML writer.
class CorpsDav
{
public:
    // Depth 0 on the address given: what it is, whose it is, where the books live.
    static QByteArray ProprietesDecouverte();
    // Depth 1 on an address-book home: its children and what they are.
    static QByteArray ProprietesCarnets();
    // Depth 1 on an address book: every member's ETag, and the book's ctag and token.
    static QByteArray ProprietesListage();
    // Depth 0 on one card: its ETag.
    static QByteArray ProprieteEtag();
    // RFC 6578: the changes since `jeton` (empty: everything, the first time).
    static QByteArray SyncCollection(const QString& jeton);
    // RFC 6352: these cards, with their ETags and their text.
    static QByteArray Multiget(const QStringList& hrefs);
    // RFC 5689 extended MKCOL: an address book named `nom`.
    static QByteArray CreationCarnet(const QString& nom);
};
