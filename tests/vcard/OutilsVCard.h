#pragma once

// Helpers shared by the vCard tests: a file read into cards and fields, shown as
// text a failure prints readably.

#include "records/Champs.h"
#include "records/CodePage.h"
#include "vcard/ClassementVCard.h"
#include "vcard/LecteurVCard.h"

#include <QFile>
#include <QString>
#include <QStringList>
#include <string>
#include <vector>

namespace OutilsVCard
{

inline QString Visible(std::string_view cellule)
{
    QString s = CodePage::VersUnicode(cellule);
    s.replace(QLatin1Char('\r'), QStringLiteral("\\r"));
    s.replace(QLatin1Char('\n'), QStringLiteral("\\n"));
    return s;
}

inline std::string Cp(const char* utf8)
{
    return CodePage::Octets(QString::fromUtf8(utf8));
}

struct Lecture {
    LecteurVCard::Resultat resultat;
    std::vector<FicheVCard> fiches;
    CodageVCard::Bilan bilan;
    std::vector<std::string> images; // decoded base64 of each card, empty when none
};

inline Lecture Lit(std::string octets, LecteurVCard::Limites limites = {})
{
    Lecture l;
    ClassementVCard classement;
    l.resultat = LecteurVCard::Parcourt(octets, limites, [&](const CarteVCard& carte) {
        FicheVCard f;
        classement.Classe(carte, f, l.bilan);
        f.autres.resize(f.nbAutres);
        std::string image;
        if (!f.imageBase64.empty()) CodageVCard::DecodeBase64(f.imageBase64, image);
        l.images.push_back(image);
        f.imageBase64 = {};
        f.imageType = {};
        l.fiches.push_back(std::move(f));
        return true;
    });
    return l;
}

// "Key=value" for each field that is not empty, then "[title]=value" for the others.
inline QString Decrit(const FicheVCard& f)
{
    QStringList s;
    for (int c = 0; c < NbColonnes; ++c)
        if (!f.champs[static_cast<size_t>(c)].empty())
            s << QString::fromLatin1(Champs::Info(c).cle) + QLatin1Char('=') +
                     Visible(f.champs[static_cast<size_t>(c)]);
    for (size_t k = 0; k < f.nbAutres; ++k)
        s << QLatin1Char('[') + Visible(f.autres[k].titre) + QStringLiteral("]=") +
                 Visible(f.autres[k].valeur);
    return s.join(QStringLiteral(" | "));
}

inline QStringList Decrit(const Lecture& l)
{
    QStringList s;
    for (const FicheVCard& f : l.fiches)
        s << Decrit(f);
    return s;
}

inline std::string Fichier(const QString& chemin)
{
    QFile f(chemin);
    if (!f.open(QIODevice::ReadOnly)) return {};
    return f.readAll().toStdString();
}

} // namespace OutilsVCard
