#pragma once

// Another client of the same server, written independently of the program's: Python's
// http.client, as a phone or another copy would act on the address book. Its
// requests are plain (no retry, no redirection), one at a time.
#include <QByteArray>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMap>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QUrl>
#include <memory>

class AutreClient
{
public:
    struct Reponse {
        int statut = 0;
        QMap<QByteArray, QByteArray> entetes; // names in lower case
        QByteArray corps;
        QString erreur; // the client itself failed
    };

    AutreClient(QUrl serveur, QString utilisateur, QString motDePasse)
        : m_serveur(std::move(serveur)), m_utilisateur(std::move(utilisateur)),
          m_motDePasse(std::move(motDePasse))
    {
    }

    static QString Python()
    {
        if (QFile::exists(QStringLiteral("/usr/bin/python3")))
            return QStringLiteral("/usr/bin/python3");
        return QStandardPaths::findExecutable(QStringLiteral("python3"));
    }

    // One request; `chemin` is the path on the server.
    Reponse Requete(const QByteArray& methode, const QString& chemin, const QByteArray& corps = {},
                    const QMap<QByteArray, QByteArray>& entetes = {})
    {
        QJsonObject e;
        for (auto it = entetes.cbegin(); it != entetes.cend(); ++it)
            e.insert(QString::fromLatin1(it.key()), QString::fromLatin1(it.value()));
        QStringList arguments{QStringLiteral("requete"), QString::fromLatin1(methode), chemin,
                              QString::fromUtf8(QJsonDocument(e).toJson(QJsonDocument::Compact))};
        QByteArray sortie;
        Reponse r;
        r.erreur = Lance(arguments, corps, &sortie);
        if (!r.erreur.isEmpty()) return r;
        const QJsonObject o = QJsonDocument::fromJson(sortie).object();
        r.statut = o.value(QStringLiteral("statut")).toInt();
        const QJsonObject h = o.value(QStringLiteral("entetes")).toObject();
        for (auto it = h.begin(); it != h.end(); ++it)
            r.entetes.insert(it.key().toLower().toLatin1(), it.value().toString().toLatin1());
        r.corps = QByteArray::fromBase64(o.value(QStringLiteral("corps")).toString().toLatin1());
        return r;
    }

    // Creates an address book by extended MKCOL.
    int CreeCarnet(const QString& chemin, const QString& nom)
    {
        const QByteArray corps =
            "<d:mkcol xmlns:d=\"DAV:\" xmlns:c=\"urn:ietf:params:xml:ns:carddav\"><d:set><d:prop>"
            "<d:resourcetype><d:collection/><c:addressbook/></d:resourcetype><d:displayname>" +
            nom.toHtmlEscaped().toUtf8() + "</d:displayname></d:prop></d:set></d:mkcol>";
        return Requete("MKCOL", chemin, corps).statut;
    }

    // Fills a new address book at `chemin` at once, the way Radicale takes a whole
    // book uploaded as one file (each card is stored as "<UID>.vcf"): many cards
    // in a second, where PUTs one by one take a minute. 201 on success.
    int DeposeCarnet(const QString& chemin, const QList<QByteArray>& cartes)
    {
        QByteArray tout;
        for (const QByteArray& c : cartes)
            tout += c;
        return Requete("PUT", chemin, tout, {{"Content-Type", "text/vcard; charset=utf-8"}}).statut;
    }

    // PUTs each (path, card) in turn, If-None-Match: *, on one connection; returns the
    // seconds the loop took (the interpreter's start-up not counted), or -1 on failure
    // with the reason in `erreur`.
    double EnvoieTout(const QList<QPair<QString, QByteArray>>& cartes, QString* erreur = nullptr)
    {
        QJsonArray liste;
        for (const auto& [chemin, carte] : cartes)
            liste.append(QJsonArray{chemin, QString::fromLatin1(carte.toBase64())});
        QTemporaryDir dossier;
        const QString fichier = dossier.filePath(QStringLiteral("cartes.json"));
        QFile f(fichier);
        if (!f.open(QIODevice::WriteOnly)) return -1;
        f.write(QJsonDocument(liste).toJson(QJsonDocument::Compact));
        f.close();
        QByteArray sortie;
        const QString raison = Lance({QStringLiteral("lot"), fichier}, {}, &sortie);
        if (erreur) *erreur = raison;
        if (!raison.isEmpty()) return -1;
        bool ok = false;
        const double secondes = sortie.trimmed().toDouble(&ok);
        if (!ok && erreur) *erreur = QString::fromUtf8(sortie);
        return ok ? secondes : -1;
    }

private:
    QString Lance(const QStringList& arguments, const QByteArray& entree, QByteArray* sortie)
    {
        if (!m_script) {
            m_script = std::make_unique<QTemporaryDir>();
            QFile f(m_script->filePath(QStringLiteral("autre_client.py")));
            if (!f.open(QIODevice::WriteOnly)) return QStringLiteral("script non écrit");
            f.write(Script);
        }
        const QString python = Python();
        if (python.isEmpty()) return QStringLiteral("python3 n'est pas installé");
        QProcess p;
        QStringList tout{m_script->filePath(QStringLiteral("autre_client.py")),
                         m_serveur.toString(), m_utilisateur, m_motDePasse};
        tout << arguments;
        p.start(python, tout);
        if (!p.waitForStarted(10000)) return p.errorString();
        p.write(entree);
        p.closeWriteChannel();
        if (!p.waitForFinished(600000)) {
            p.kill();
            return QStringLiteral("le client ne finit pas");
        }
        *sortie = p.readAllStandardOutput();
        if (p.exitCode() != 0) return QString::fromUtf8(p.readAllStandardError());
        return QString();
    }

    static constexpr const char* Script = R"PY(
import base64, http.client, json, ssl, sys, time, urllib.parse

serveur, utilisateur, mot_de_passe, commande = sys.argv[1:5]
u = urllib.parse.urlsplit(serveur)
if u.scheme == "https":
    connexion = http.client.HTTPSConnection(u.hostname, u.port, timeout=60,
                                            context=ssl._create_unverified_context())
else:
    connexion = http.client.HTTPConnection(u.hostname, u.port, timeout=60)
jeton = base64.b64encode((utilisateur + ":" + mot_de_passe).encode()).decode()

def requete(methode, chemin, corps, entetes):
    entetes = dict(entetes)
    entetes["Authorization"] = "Basic " + jeton
    connexion.request(methode, urllib.parse.quote(chemin, safe="/%@:"), body=corps, headers=entetes)
    r = connexion.getresponse()
    donnees = r.read()
    if r.getheader("Connection", "").lower() == "close" or r.version == 10:
        connexion.close()
    return r, donnees

if commande == "requete":
    methode, chemin, entetes = sys.argv[5], sys.argv[6], json.loads(sys.argv[7])
    corps = sys.stdin.buffer.read() or None
    r, donnees = requete(methode, chemin, corps, entetes)
    print(json.dumps({"statut": r.status, "entetes": dict(r.getheaders()),
                      "corps": base64.b64encode(donnees).decode()}))
elif commande == "lot":
    with open(sys.argv[5]) as f:
        cartes = [(c, base64.b64decode(v)) for c, v in json.load(f)]
    debut = time.perf_counter()
    for chemin, carte in cartes:
        r, _ = requete("PUT", chemin, carte, {"Content-Type": "text/vcard; charset=utf-8",
                                             "If-None-Match": "*"})
        if r.status not in (200, 201, 204):
            sys.exit("PUT %s : %d" % (chemin, r.status))
    print(time.perf_counter() - debut)
)PY";

    QUrl m_serveur;
    QString m_utilisateur;
    QString m_motDePasse;
    std::unique_ptr<QTemporaryDir> m_script;
};
