#include "MesureColonne.h"

#include "records/CodePage.h"

#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

MesureColonne::MesureColonne(const QFont& police) : m_mesure(police)
{
    const QFontMetricsF mesureF(police);
    for (int i = 0; i < 256; ++i) {
        const char octet = static_cast<char>(i);
        const QString u = CodePage::VersUnicode(std::string_view(&octet, 1));
        m_unicode[static_cast<size_t>(i)] = u.isEmpty() ? QChar(i) : u.at(0);
    }
    m_unicode['\r'] = m_unicode['\n'] = QChar(u' ');
    for (int i = 0; i < 256; ++i)
        m_avance[static_cast<size_t>(i)] =
            mesureF.horizontalAdvance(m_unicode[static_cast<size_t>(i)]);
    m_avanceM = mesureF.horizontalAdvance(QChar(u'M'));
    m_tampon.reserve(256);
}

int MesureColonne::Estimation(std::string_view texte) const
{
    double somme = m_avanceM;
    for (size_t i = 0; i < texte.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(texte[i]);
        if (c == '\r' && i + 1 < texte.size() && texte[i + 1] == '\n')
            ++i; // one space for the pair
        somme += m_avance[c];
    }
    return static_cast<int>(std::lround(somme));
}

int MesureColonne::Largeur(std::string_view texte)
{
    m_tampon.resize(static_cast<qsizetype>(texte.size() + 1));
    QChar* d = m_tampon.data();
    qsizetype n = 0;
    for (size_t i = 0; i < texte.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(texte[i]);
        if (c == '\r' && i + 1 < texte.size() && texte[i + 1] == '\n') ++i;
        d[n++] = m_unicode[c];
    }
    d[n++] = u'M';
    m_tampon.truncate(n);
    return m_mesure.horizontalAdvance(m_tampon);
}

int MesureColonne::LargeurMax(const Repertoire& rep, int colonne)
{
    // First the estimate of every row, then the drawn width of the rows whose
    // estimate could still beat the widest drawn width found.
    const int n = rep.NbLignes();
    m_estimations.resize(static_cast<size_t>(n));
    int estimationMax = -1;
    int ligneMax = 0;
    for (int ligne = 0; ligne < n; ++ligne) {
        const int e = Estimation(rep.Cellule(colonne, ligne));
        m_estimations[static_cast<size_t>(ligne)] =
            static_cast<uint16_t>(std::min(e, int(UINT16_MAX)));
        if (e > estimationMax) {
            estimationMax = e;
            ligneMax = ligne;
        }
    }
    int max = Largeur(rep.Cellule(colonne, ligneMax));
    // The last text measured for each estimate, so a repeated value (a civility,
    // a town) is shaped once.
    std::vector<std::pair<std::string_view, int>> dejaMesure(static_cast<size_t>(estimationMax) + 1,
                                                             {std::string_view(), -1});
    for (int ligne = 0; ligne < n; ++ligne) {
        int e = m_estimations[static_cast<size_t>(ligne)];
        if (e <= max) continue;
        const std::string_view texte = rep.Cellule(colonne, ligne);
        if (e == UINT16_MAX) {
            e = Estimation(texte);
            if (e <= max) continue;
        }
        auto& memo = dejaMesure[static_cast<size_t>(e)];
        if (memo.second < 0 || memo.first != texte) memo = {texte, Largeur(texte)};
        if (memo.second > max) max = memo.second;
    }
    return max;
}

QString MesureColonne::SurUneLigne(const QString& texte)
{
    if (!texte.contains(u'\r') && !texte.contains(u'\n')) return texte;
    QString r;
    r.reserve(texte.size());
    for (qsizetype i = 0; i < texte.size(); ++i) {
        const QChar c = texte.at(i);
        if (c == u'\r' || c == u'\n') {
            if (c == u'\r' && i + 1 < texte.size() && texte.at(i + 1) == u'\n') ++i;
            r.append(u' ');
        } else {
            r.append(c);
        }
    }
    return r;
}
