#include "ImpressionSure.h"

#include "records/FichierSur.h"

#include <QFile>
#include <QFileInfo>
#include <QPrinter>
#include <algorithm>

namespace
{

// The PDF writer does not report a failed write (a full disk): a file is whole only
// when its end-of-file marker made it to the disk.
bool PdfComplet(const QString& chemin)
{
    QFile f(chemin);
    if (!f.open(QIODevice::ReadOnly) || f.size() == 0) return false;
    const qint64 fin = std::min<qint64>(f.size(), 64);
    if (!f.seek(f.size() - fin)) return false;
    return f.read(fin).contains("%%EOF");
}

} // namespace

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
    if (!PdfComplet(temporaire)) {
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
