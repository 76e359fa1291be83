#include "TImpression.h"

#include "mainwindow/CurseurOccupe.h"
#include "mainwindow/TFiche.h"
#include "mainwindow/TGrille.h"
#include "printing/CopieIntelligente.h"
#include "printing/TCopyOpt.h"
#include "records/CodePage.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QItemSelectionModel>

TImpression::TImpression(TFiche& fiche, TCopyOpt& copyOpt, QObject* parent)
    : QObject(parent), m_fiche(fiche), m_copyOpt(copyOpt)
{
}

void TImpression::Copier1Click()
{
    if (m_fiche.ListeAffichee())
        CopieListe();
    else
        CopieFiche();
}

bool TImpression::CopieFiche()
{
    if (!m_copyOpt.Choisit()) return false;
    CurseurOccupe occupe;
    MetDansPressePapiers(
        CopieIntelligente::TexteFiche(m_fiche.Rep(), m_fiche.LigneCourante(), m_copyOpt.Options()));
    return true;
}

void TImpression::CopieListe()
{
    m_fiche.ValideSaisieGrille();
    CurseurOccupe occupe;
    MetDansPressePapiers(CopieIntelligente::TexteListe(m_fiche.Rep(), PlageGrille()));
}

PlageCellules TImpression::PlageGrille() const
{
    const TGrille* grille = m_fiche.Grille();
    PlageCellules p{grille->LigneCourante(), grille->LigneCourante(), grille->ColonneCourante(),
                    grille->ColonneCourante()};
    if (!grille->selectionModel()) return p;
    bool premiere = true;
    for (const QItemSelectionRange& r : grille->selectionModel()->selection()) {
        if (!r.isValid()) continue;
        // Model row i is book row i + 1.
        const PlageCellules b{r.top() + 1, r.bottom() + 1, r.left(), r.right()};
        if (premiere) {
            p = b;
            premiere = false;
            continue;
        }
        p.ligneHaut = std::min(p.ligneHaut, b.ligneHaut);
        p.ligneBas = std::max(p.ligneBas, b.ligneBas);
        p.colonneGauche = std::min(p.colonneGauche, b.colonneGauche);
        p.colonneDroite = std::max(p.colonneDroite, b.colonneDroite);
    }
    return p;
}

void TImpression::MetDansPressePapiers(const std::string& octets)
{
    // Offered as Unicode text: other programs paste the accents and "€" as shown.
    QGuiApplication::clipboard()->setText(CodePage::VersUnicode(octets));
}
