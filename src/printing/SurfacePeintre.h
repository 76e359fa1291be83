#pragma once

#include "printing/SurfaceTexte.h"

#include <QFontMetrics>

class QPagedPaintDevice;
class QPainter;

// The print stream's surface on a painter that is active on a paged device (a
// printer, a PDF writer), in the painter's current font.
class SurfacePeintre : public SurfaceTexte
{
public:
    SurfacePeintre(QPainter& peintre, QPagedPaintDevice& device);

    int LargeurPage() const override { return m_largeur; }
    int HauteurPage() const override { return m_hauteur; }
    int Largeur(const QString& texte, int longueur = -1) const override;
    int Hauteur(const QString& texte) const override;
    int Tient(const QString& texte, int largeur, int& largeurTexte) const override;
    int LargeurMoyenne() const override;
    int HauteurCaractere() const override;
    void Dessine(int x, int y, const QString& texte) override;
    bool NouvellePage() override;

private:
    QPainter& m_peintre;
    QPagedPaintDevice& m_device;
    QFontMetrics m_mesures;
    int m_largeur;
    int m_hauteur;
};
