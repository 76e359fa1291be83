#include "ReglagesFiche.h"

#include "settings/Reglages.h"

namespace
{

const QString MainW = QStringLiteral("MainW");
const QString Options = QStringLiteral("Options");

QString Col(int n)
{
    return QStringLiteral("Col") + QString::number(n);
}

} // namespace

int ReglagesFiche::CouleurWindows(const QColor& couleur)
{
    return couleur.red() | (couleur.green() << 8) | (couleur.blue() << 16);
}

QColor ReglagesFiche::DepuisWindows(int valeur, const QColor& defaut)
{
    // System colours (negative, or with the top byte set) have no meaning here.
    if (valeur < 0 || valeur > 0xFFFFFF) return defaut;
    return QColor(valeur & 0xFF, (valeur >> 8) & 0xFF, (valeur >> 16) & 0xFF);
}

EtatFenetre ReglagesFiche::Lit(const Reglages& r, const EtatFenetre& d)
{
    EtatFenetre e = d;
    e.positionFiche = QPoint(r.ReadInteger(MainW, QStringLiteral("fichex"), d.positionFiche.x()),
                             r.ReadInteger(MainW, QStringLiteral("fichey"), d.positionFiche.y()));
    // The list-page geometry defaults to the record-page position read just before.
    e.rectListe = QRect(r.ReadInteger(MainW, QStringLiteral("listex"), e.positionFiche.x()),
                        r.ReadInteger(MainW, QStringLiteral("listey"), e.positionFiche.y()),
                        r.ReadInteger(MainW, QStringLiteral("listew"), d.rectListe.width()),
                        r.ReadInteger(MainW, QStringLiteral("listeh"), d.rectListe.height()));
    e.maxi = r.ReadBool(MainW, QStringLiteral("Maxi"), d.maxi);
    e.fichier =
        r.ReadString(QStringLiteral("DernierFichier"), QStringLiteral("Fichier"), d.fichier);
    e.trierEnEnregistrant =
        r.ReadBool(Options, QStringLiteral("Trier en enregistrant"), d.trierEnEnregistrant);
    e.lastRow = r.ReadInteger(Options, QStringLiteral("LastRow"), d.lastRow);
    e.couleurGrille =
        DepuisWindows(r.ReadInteger(QStringLiteral("Liste"), QStringLiteral("Couleur"),
                                    CouleurWindows(d.couleurGrille)),
                      d.couleurGrille);
    for (int n = 0; n < NbColonnes; ++n)
        e.largeurs[static_cast<size_t>(n)] =
            r.ReadInteger(QStringLiteral("Colonnes"), Col(n), d.largeurs[static_cast<size_t>(n)]);
    return e;
}

void ReglagesFiche::Contribue(EcritureReglages& ecriture, const EtatFenetre& etat)
{
    using E = EcritureReglages::Etape;
    ecriture.Contribue(E::MainW, [&etat](Reglages& r) {
        r.WriteInteger(MainW, QStringLiteral("fichex"), etat.positionFiche.x());
        r.WriteInteger(MainW, QStringLiteral("fichey"), etat.positionFiche.y());
        r.WriteInteger(MainW, QStringLiteral("listex"), etat.rectListe.x());
        r.WriteInteger(MainW, QStringLiteral("listey"), etat.rectListe.y());
        r.WriteInteger(MainW, QStringLiteral("listew"), etat.rectListe.width());
        r.WriteInteger(MainW, QStringLiteral("listeh"), etat.rectListe.height());
        r.WriteBool(MainW, QStringLiteral("Maxi"), etat.maxi);
    });
    ecriture.Contribue(E::DernierFichier, [&etat](Reglages& r) {
        r.WriteString(QStringLiteral("DernierFichier"), QStringLiteral("Fichier"), etat.fichier);
    });
    ecriture.Contribue(E::Colonnes, [&etat](Reglages& r) {
        for (int n = 0; n < NbColonnes; ++n)
            r.WriteInteger(QStringLiteral("Colonnes"), Col(n),
                           etat.largeurs[static_cast<size_t>(n)]);
    });
    ecriture.Contribue(E::OptionsTri, [&etat](Reglages& r) {
        r.WriteBool(Options, QStringLiteral("Trier en enregistrant"), etat.trierEnEnregistrant);
        r.WriteInteger(Options, QStringLiteral("LastRow"), etat.lastRow);
    });
    ecriture.Contribue(E::Liste, [&etat](Reglages& r) {
        r.WriteInteger(QStringLiteral("Liste"), QStringLiteral("Couleur"),
                       CouleurWindows(etat.couleurGrille));
    });
}
