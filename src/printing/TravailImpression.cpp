#include "TravailImpression.h"

#include <QPrinter>

TravailImpression::TravailImpression(QPrinter& imprimante)
    : m_imprimante(imprimante), m_sure(imprimante)
{
}

TravailImpression::~TravailImpression()
{
    Abandonne();
}

bool TravailImpression::Commence(QString* raison)
{
    if (!m_sure.Commence(raison)) return false;
    if (!m_peintre.begin(&m_imprimante)) {
        m_sure.Abandonne();
        if (raison)
            *raison = m_imprimante.outputFormat() == QPrinter::PdfFormat
                          ? QString::fromUtf8("Le fichier PDF « %1 » n'a pas pu être créé.")
                                .arg(m_imprimante.outputFileName())
                          : QString::fromUtf8("L'imprimante « %1 » n'a pas pu commencer "
                                              "l'impression.")
                                .arg(m_imprimante.printerName());
        return false;
    }
    m_encours = true;
    return true;
}

QString TravailImpression::Termine()
{
    if (!m_encours) return QString::fromUtf8("L'impression n'a pas commencé.");
    m_encours = false;
    const bool fini = m_peintre.end();
    if (!fini || m_imprimante.printerState() == QPrinter::Error) {
        m_sure.Abandonne();
        return m_imprimante.outputFormat() == QPrinter::PdfFormat
                   ? QString::fromUtf8("Le fichier PDF n'a pas pu être écrit.")
                   : QString::fromUtf8("L'imprimante « %1 » a signalé une erreur.")
                         .arg(m_imprimante.printerName());
    }
    return m_sure.Termine();
}

void TravailImpression::Abandonne()
{
    if (m_encours) {
        m_encours = false;
        m_imprimante.abort();
        if (m_peintre.isActive()) m_peintre.end();
    }
    m_sure.Abandonne();
}
