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
    int LargeurMoyenne() const override { return 10; }
    int HauteurCaractere() const override { return 15; }
    int HauteurTexte() const override { return 12; }
    void Compose(const QString& texte) override { m_texte = texte; }
    int Tient(int debut, int fin, int largeur, int& largeurTexte) override
    {
        largeurTexte = 0;
        int n = 0;
        for (int i = debut; i < fin; ++i) {
            const QChar c = m_texte.at(i);
            const int l = c == QLatin1Char('W') ? 20 : c == QLatin1Char('i') ? 9 : 10;
            if (largeurTexte + l > largeur) break;
            largeurTexte += l;
            ++n;
        }
        return n;
    }
    void Dessine(int x, int y, int debut, int longueur) override
    {
        traces << QStringLiteral("%1:%2,%3:%4")
                      .arg(m_page)
                      .arg(x)
                      .arg(y)
                      .arg(m_texte.mid(debut, longueur));
    }
    bool NouvellePage() override
    {
        ++m_page;
        return !refuseLesPages;
    }

    QStringList traces;
    bool refuseLesPages = false;

private:
    QString m_texte;
    int m_largeur;
    int m_hauteur;
    int m_page = 1;
};
