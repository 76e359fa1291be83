#include "TravailImpression.h"

#include "printing/SortieSure.h"

#include <QFileInfo>
#include <QPdfWriter>
#include <QPrinter>

TravailImpression::TravailImpression(QPrinter& imprimante) : m_imprimante(imprimante) {}

TravailImpression::~TravailImpression()
{
    Abandonne();
}

bool TravailImpression::Commence(QString* raison)
{
    QPaintDevice* device = &m_imprimante;
    if (m_imprimante.outputFormat() == QPrinter::PdfFormat) {
        m_fichierPdf = QFileInfo(m_imprimante.outputFileName()).absoluteFilePath();
        m_sortie = std::make_unique<SortieSure>(m_fichierPdf);
        if (m_sortie->Echec() || !m_sortie->open(QIODevice::WriteOnly)) {
            if (raison)
                *raison = QString::fromUtf8("Le fichier PDF « %1 » n'a pas pu être créé : %2.")
                              .arg(m_fichierPdf, m_sortie->Raison());
            m_sortie.reset();
            return false;
        }
        m_pdf = std::make_unique<QPdfWriter>(m_sortie.get());
        m_pdf->setResolution(m_imprimante.resolution());
        m_pdf->setPageLayout(m_imprimante.pageLayout());
        m_pdf->setTitle(m_imprimante.docName());
        m_pdf->setCreator(m_imprimante.creator());
        device = m_pdf.get();
    }
    if (!m_peintre.begin(device)) {
        m_pdf.reset();
        m_sortie.reset();
        if (raison)
            *raison = m_fichierPdf.isEmpty()
                          ? QString::fromUtf8("L'imprimante « %1 » n'a pas pu commencer "
                                              "l'impression.")
                                .arg(m_imprimante.printerName())
                          : QString::fromUtf8("Le fichier PDF « %1 » n'a pas pu être créé.")
                                .arg(m_fichierPdf);
        return false;
    }
    m_encours = true;
    return true;
}

QPagedPaintDevice& TravailImpression::Device()
{
    if (m_pdf) return *m_pdf;
    return m_imprimante;
}

bool TravailImpression::NouvellePage()
{
    return Device().newPage() && m_peintre.isActive() && !(m_sortie && m_sortie->Echec());
}

QString TravailImpression::Raison() const
{
    if (m_sortie && m_sortie->Echec()) return EchecPdf(m_sortie->Raison());
    return m_fichierPdf.isEmpty()
               ? QString::fromUtf8("L'imprimante « %1 » n'a pas pu passer à la page suivante.")
                     .arg(m_imprimante.printerName())
               : EchecPdf(QString());
}

QString TravailImpression::EchecPdf(const QString& raison) const
{
    if (raison.isEmpty())
        return QString::fromUtf8("Le fichier PDF « %1 » n'a pas pu être écrit.").arg(m_fichierPdf);
    return QString::fromUtf8("Le fichier PDF « %1 » n'a pas pu être écrit : %2.")
        .arg(m_fichierPdf, raison);
}

QString TravailImpression::Termine()
{
    if (!m_encours) return QString::fromUtf8("L'impression n'a pas commencé.");
    m_encours = false;
    const bool fini = m_peintre.end();
    if (m_sortie) {
        m_pdf.reset();
        // A writer that failed leaves nothing in place, even when every byte went out.
        QString raison = m_sortie->Echec() ? m_sortie->Raison() : QString();
        if (raison.isEmpty() && fini) raison = m_sortie->Termine();
        const bool ecrit = fini && raison.isEmpty();
        m_sortie.reset();
        return ecrit ? QString() : EchecPdf(raison);
    }
    if (!fini || m_imprimante.printerState() == QPrinter::Error)
        return QString::fromUtf8("L'imprimante « %1 » a signalé une erreur.")
            .arg(m_imprimante.printerName());
    return {};
}

void TravailImpression::Abandonne()
{
    if (m_encours) {
        m_encours = false;
        if (!m_sortie) m_imprimante.abort();
        if (m_peintre.isActive()) m_peintre.end();
    }
    // The temporary file goes with the device that never put it in place.
    m_pdf.reset();
    m_sortie.reset();
}
