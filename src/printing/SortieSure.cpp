#include "SortieSure.h"

namespace
{

// Few system calls for the many small pieces a PDF is written in.
constexpr qsizetype TailleTampon = 1 << 20;

} // namespace

SortieSure::SortieSure(const QString& chemin) : m_ecriture(std::make_unique<EcritureSure>(chemin))
{
    // The temporary file could not be made (a missing or read-only folder): said now.
    if (!m_ecriture->Ecrit(nullptr, 0))
        m_raison = m_ecriture->Termine();
    else
        m_tampon.reserve(TailleTampon);
}

SortieSure::~SortieSure() = default; // a file not put in place leaves nothing behind

qint64 SortieSure::writeData(const char* donnees, qint64 taille)
{
    if (Echec() || !m_ecriture) return -1;
    if (m_tampon.size() + taille > TailleTampon && !Vide()) return -1;
    if (taille >= TailleTampon) {
        if (!m_ecriture->Ecrit(donnees, static_cast<size_t>(taille))) {
            m_raison = m_ecriture->Termine();
            return -1;
        }
        return taille;
    }
    m_tampon.append(donnees, taille);
    return taille;
}

bool SortieSure::Vide()
{
    if (m_tampon.isEmpty()) return true;
    const bool ok = m_ecriture->Ecrit(m_tampon.constData(), static_cast<size_t>(m_tampon.size()));
    m_tampon.clear();
    // A failed write ends the safe write at once: its reason, and no temporary file.
    if (!ok) m_raison = m_ecriture->Termine();
    return ok;
}

QString SortieSure::Termine()
{
    if (!Echec() && m_ecriture && Vide()) m_raison = m_ecriture->Termine();
    const QString raison = m_raison;
    m_ecriture.reset();
    if (raison.isEmpty()) m_raison.clear();
    return raison;
}
