#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QXmlStreamReader>
#include <functional>
#include <memory>
#include <vector>

// Reads a WebDAV answer (a 207 multistatus, or the DAV:error body of a refusal) as it
// arrives, a block at a time, whatever prefixes the server gives its namespaces. Only
// the properties a CardDAV client needs are kept, and only from a propstat whose
// status is 2xx. Hostile answers stop at the limits: nothing grows without bound, a
// document type declaration (entity tricks) is refused.
class LecteurMultistatus
{
public:
    struct Limites {
        qint64 octets = 512LL * 1024 * 1024; // the whole answer
        int texte = 16 * 1024 * 1024;        // one value (a card's address-data)
        int href = 16 * 1024;                // one address
        int reponses = 2'000'000;            // responses in one answer
        int profondeur = 64;                 // nesting of elements
    };

    // One DAV:response.
    struct Reponse {
        QString href;           // as the server wrote it (absolute path or URL)
        QStringList autresHref; // further hrefs sharing the same status
        int statut = 0;         // the response's own status (deleted member: 404), else 0
        QString etag;
        QString ctag;
        QString jetonSync;
        QString nom; // displayname
        QString typeContenu;
        bool collection = false;
        bool carnet = false; // resourcetype holds CARDDAV:addressbook
        bool principalDonne = false;
        QString principal;   // current-user-principal
        QStringList maisons; // addressbook-home-set
        bool rapportsDonnes = false;
        bool syncCollection = false; // supported-report-set lists sync-collection
        bool aDonnees = false;
        QByteArray donnees; // address-data, UTF-8
    };

    explicit LecteurMultistatus(Limites limites);
    LecteurMultistatus();
    LecteurMultistatus(LecteurMultistatus&&) noexcept;
    LecteurMultistatus& operator=(LecteurMultistatus&&) noexcept;
    ~LecteurMultistatus();

    // When set, each complete response goes there instead of into Reponses(), so a
    // long listing is handed over as it is read.
    std::function<void(Reponse&&)> AuFil;

    // Reads a block; false once the answer is refused (Erreur() says why).
    bool Ajoute(const QByteArray& bloc);
    // The answer is complete: false when it ends before its last element.
    bool Termine();

    const QString& Erreur() const { return m_erreur; }
    std::vector<Reponse>& Reponses() { return m_reponses; }
    int NbReponses() const { return m_nbReponses; }
    // The multistatus's own sync-token (sync-collection).
    const QString& JetonSync() const { return m_jeton; }
    // The preconditions of a DAV:error body ("valid-sync-token", ...): local names.
    const QStringList& Conditions() const { return m_conditions; }
    // Whether the document was a multistatus.
    bool Multistatus() const { return m_multistatus; }
    // Whether the listing was cut by the server (a 507 on the request itself).
    bool Tronque() const { return m_tronque; }

    // Reads a whole answer at once (tests, small bodies).
    static LecteurMultistatus Lit(const QByteArray& document, Limites limites);
    static LecteurMultistatus Lit(const QByteArray& document);

private:
    enum class Lieu : unsigned char;
    static bool EstTexte(Lieu lieu);
    bool Avance();
    bool Echec(const QString& raison);
    void Ouvre();
    void Ferme();
    void Texte();

    Limites m_limites;
    std::unique_ptr<QXmlStreamReader> m_xml;
    qint64 m_octets = 0;
    QString m_erreur;
    std::vector<Reponse> m_reponses;
    int m_nbReponses = 0;
    QString m_jeton;
    QStringList m_conditions;
    bool m_multistatus = false;
    bool m_tronque = false;
    bool m_fini = false;

    // Where the reader stands: the path of elements that matter, and what is being read.
    std::vector<Lieu> m_chemin;
    int m_profondeur = 0;
    Reponse m_reponse;
    Reponse m_propstat; // the properties of the current propstat, kept if its status is 2xx
    int m_statutPropstat = 0;
    QString m_texte;
};
