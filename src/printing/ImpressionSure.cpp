#include "ImpressionSure.h"

#include "records/FichierSur.h"

#include <QFileInfo>
#include <QPrinter>

ImpressionSure::ImpressionSure(QPrinter& imprimante) : m_imprimante(imprimante) {}

ImpressionSure::~ImpressionSure()
{
    Abandonne();
}

bool ImpressionSure::Commence(QString* raison)
{
    if (m_imprimante.outputFormat() != QPrinter::PdfFormat ||
        m_imprimante.outputFileName().isEmpty())
        return true;
    m_cible = m_imprimante.outputFileName();
    m_temporaire = FichierSur::Temporaire(m_cible, raison);
    if (m_temporaire.isEmpty()) return false;
    m_imprimante.setOutputFileName(m_temporaire);
    return true;
}

QString ImpressionSure::Termine()
{
    if (m_temporaire.isEmpty()) return {};
    const QString temporaire = m_temporaire;
    m_temporaire.clear();
    m_imprimante.setOutputFileName(m_cible);
    if (QFileInfo(temporaire).size() == 0) {
        FichierSur::Abandonne(temporaire);
        return QString::fromUtf8("Le fichier PDF n'a pas pu être écrit.");
    }
    return FichierSur::Remplace(temporaire, m_cible);
}

void ImpressionSure::Abandonne()
{
    if (m_temporaire.isEmpty()) return;
    FichierSur::Abandonne(m_temporaire);
    m_temporaire.clear();
    m_imprimante.setOutputFileName(m_cible);
}
