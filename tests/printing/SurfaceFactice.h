#pragma once

#include "printing/SurfaceTexte.h"

#include <QStringList>

// A page with simple, exact numbers: every character 10 dots wide but "W" (20) and "i" (9),
// text 12 dots high, character height 15, average width 10 (tab stops every 80).
// It records what is drawn as "page:x,y:text".
class SurfaceFactice : public SurfaceTexte
{
public:
    SurfaceFactice(int largeur, int hauteur) : m_largeur(largeur), m_hauteur(hauteur) {}

    int LargeurPage() const override { return m_largeur; }
    int HauteurPage() const override { return m_hauteur; }
    int Largeur(const QString& texte, int longueur = -1) const override
    {
        const int n = longueur < 0 ? int(texte.size()) : longueur;
        int l = 0;
        for (int i = 0; i < n; ++i)
            l += texte.at(i) == QLatin1Char('W') ? 20 : texte.at(i) == QLatin1Char('i') ? 9 : 10;
        return l;
    }
    int Hauteur(const QString&) const override { return 12; }
    int LargeurMoyenne() const override { return 10; }
    int HauteurCaractere() const override { return 15; }
    void Dessine(int x, int y, const QString& texte) override
    {
        traces << QStringLiteral("%1:%2,%3:%4").arg(m_page).arg(x).arg(y).arg(texte);
    }
    bool NouvellePage() override
    {
        ++m_page;
        return !refuseLesPages;
    }

    QStringList traces;
    bool refuseLesPages = false;

private:
    int m_largeur;
    int m_hauteur;
    int m_page = 1;
};
