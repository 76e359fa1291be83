#include "FichierSync.h"

#include "records/FichierSur.h"
#include "records/OuvertureSure.h"

#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace
{

QString Fr(const char* texte)
{
    return QString::fromUtf8(texte);
}

QString Octets(const std::string& s)
{
    return QString::fromLatin1(s.data(), static_cast<qsizetype>(s.size()));
}

} // namespace

QByteArray FichierSync::Serialise(const EtatSync& etat)
{
    QJsonArray fiches;
    for (const EtatSync::Entree& e : etat.entrees) {
        QJsonArray champs;
        for (const std::string& c : e.champs)
            champs.append(Octets(c));
        fiches.append(QJsonObject{{QStringLiteral("uid"), e.uid},
                                  {QStringLiteral("href"), e.href},
                                  {QStringLiteral("etag"), e.etag},
                                  {QStringLiteral("carte"), QString::fromUtf8(e.carte)},
                                  {QStringLiteral("champs"), champs},
                                  {QStringLiteral("ligne"), e.ligne}});
    }
    const QJsonObject racine{{QStringLiteral("format"), QStringLiteral("carnet-sync")},
                             {QStringLiteral("version"), Version},
                             {QStringLiteral("adresse"), etat.adresse},
                             {QStringLiteral("utilisateur"), etat.utilisateur},
                             {QStringLiteral("jeton"), etat.jeton},
                             {QStringLiteral("ctag"), etat.ctag},
                             {QStringLiteral("hachage"), etat.hachage},
                             {QStringLiteral("fiches"), fiches}};
    return QJsonDocument(racine).toJson(QJsonDocument::Compact);
}

bool FichierSync::Deserialise(const QByteArray& octets, EtatSync& etat, QString* raison)
{
    const auto refuse = [raison](const QString& texte) {
        if (raison) *raison = texte;
        return false;
    };
    QJsonParseError erreur;
    const QJsonDocument document = QJsonDocument::fromJson(octets, &erreur);
    if (document.isNull() || !document.isObject())
        return refuse(
            Fr("le fichier de synchronisation est illisible (%1)").arg(erreur.errorString()));
    const QJsonObject racine = document.object();
    if (racine.value(QStringLiteral("format")).toString() != QLatin1String("carnet-sync"))
        return refuse(Fr("ce n'est pas un fichier de synchronisation"));
    if (racine.value(QStringLiteral("version")).toInt() != Version)
        return refuse(Fr("le fichier de synchronisation est d'une autre version (%1)")
                          .arg(racine.value(QStringLiteral("version")).toInt()));
    EtatSync lu;
    lu.adresse = racine.value(QStringLiteral("adresse")).toString();
    lu.utilisateur = racine.value(QStringLiteral("utilisateur")).toString();
    lu.jeton = racine.value(QStringLiteral("jeton")).toString();
    lu.ctag = racine.value(QStringLiteral("ctag")).toString();
    lu.hachage = racine.value(QStringLiteral("hachage")).toString();
    const QJsonArray fiches = racine.value(QStringLiteral("fiches")).toArray();
    lu.entrees.reserve(static_cast<size_t>(fiches.size()));
    for (const QJsonValue& v : fiches) {
        const QJsonObject o = v.toObject();
        EtatSync::Entree e;
        e.uid = o.value(QStringLiteral("uid")).toString();
        e.href = o.value(QStringLiteral("href")).toString();
        e.etag = o.value(QStringLiteral("etag")).toString();
        e.carte = o.value(QStringLiteral("carte")).toString().toUtf8();
        e.ligne = o.value(QStringLiteral("ligne")).toInt();
        const QJsonArray champs = o.value(QStringLiteral("champs")).toArray();
        if (e.uid.isEmpty() || e.href.isEmpty() || champs.size() != NbColonnes)
            return refuse(Fr("le fichier de synchronisation est abîmé (fiche n° %1)")
                              .arg(lu.entrees.size() + 1));
        for (int c = 0; c < NbColonnes; ++c) {
            const QString texte = champs.at(c).toString();
            for (const QChar ch : texte)
                if (ch.unicode() > 0xFF)
                    return refuse(Fr("le fichier de synchronisation est abîmé (fiche n° %1)")
                                      .arg(lu.entrees.size() + 1));
            e.champs[static_cast<size_t>(c)] = texte.toLatin1().toStdString();
        }
        lu.entrees.push_back(std::move(e));
    }
    etat = std::move(lu);
    return true;
}

QString FichierSync::Charge(const QString& livre, EtatSync& etat, bool* absent)
{
    const QString chemin = Chemin(livre);
    if (absent) *absent = false;
    if (!QFileInfo::exists(chemin)) {
        if (absent) *absent = true;
        etat = EtatSync();
        return QString();
    }
    std::string octets;
    const QString erreur = OuvertureSure::LitTout(chemin, octets, TailleMax);
    if (!erreur.isEmpty()) return erreur;
    QString raison;
    if (!Deserialise(QByteArray(octets.data(), static_cast<qsizetype>(octets.size())), etat,
                     &raison))
        return raison;
    return QString();
}

QString FichierSync::Enregistre(const QString& livre, const EtatSync& etat)
{
    const QByteArray octets = Serialise(etat);
    return FichierSur::Ecrit(Chemin(livre), octets.constData(), static_cast<size_t>(octets.size()));
}
