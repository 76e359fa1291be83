#pragma once

#include <QString>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// The staging table of an import: the file's lines by its columns, as
// Windows-1252 text. The first line fixes the number of columns: later lines
// with fewer fields read as empty in the rest, with more are cut. Never fewer
// than one line and one column.
//
// The cells stay where the file's bytes were read, each separator replaced by a
// NUL byte (a cell never holds one) and trailing empty cells dropped, with one
// offset per line: a file's staging costs its own size plus four bytes a line.
class TableImport
{
public:
    // Limits against hostile files: beyond them a file is not an address book,
    // and reading it whole would only exhaust the memory or freeze the window.
    static constexpr int MaxColonnes = 1000;
    static constexpr size_t MaxCellule = 1 << 20; // 1 MiB of text in one field
    // Lines are found by 32-bit offsets.
    static constexpr size_t MaxOctets = UINT32_MAX;
    static constexpr int64_t SansLimite = INT32_MAX - 1;

    TableImport(); // one empty line of one column

    int NbLignes() const { return static_cast<int>(m_lignes.size()) - 1; }
    int NbColonnes() const { return m_colonnes; }
    std::string_view Cellule(int colonne, int ligne) const;
    // The NbColonnes cells of a line at once into `cellules`.
    void CellulesLigne(int ligne, std::string_view* cellules) const;

    // Line 0 holds the fields' titles rather than a record: the lines imported
    // as records then start at line 1.
    bool LigneTitres() const { return m_titres; }
    void SetLigneTitres(bool titres) { m_titres = titres && NbLignes() > 0; }
    int PremiereFiche() const { return m_titres ? 1 : 0; }
    int NbFiches() const { return NbLignes() - PremiereFiche(); }

    // The reader of types 1 and 2: a separator splits, LF ends a line, CR and NUL
    // are dropped; no quoting. Takes the buffer and splits it in place. The last
    // line is kept when the file does not end with a line end. More than
    // `maxLignes` lines are refused, the message telling how many the file holds.
    // Empty on success, else the French reason (a limit passed); the table is then
    // left empty.
    QString Decoupe(std::string&& octets, char separateur, int64_t maxLignes = SansLimite);
    // RFC 4180: fields may be quoted, with doubled quotes and line breaks (kept
    // as CR LF) inside; CR LF, LF or a lone CR end a line.
    QString DecoupeCsv(std::string&& octets, char separateur, int64_t maxLignes = SansLimite);
    // A table a reader of its own has laid out (the vCard reader): `octets` holds
    // the lines end to end, the cells of a line separated by NUL bytes (fewer than
    // `colonnes` read as empty in the rest), and `lignes` the start of each line
    // plus the end of the last. Empty on success, else the French reason.
    QString Assemble(std::string&& octets, std::vector<uint32_t>&& lignes, int colonnes,
                     bool titres);
    // The standard CSV's separator: the most frequent of ",", ";" and TAB outside
    // quotes on the first line, "," when none.
    static char SeparateurCsv(std::string_view octets);

    // The bytes of every line, separators included.
    size_t OctetsCellules() const { return m_lignes.back(); }
    size_t OctetsUtilises() const;

private:
    class Constructeur;
    void Vide();

    std::string m_octets;
    std::vector<uint32_t> m_lignes; // start of each line in m_octets, plus the end
    int m_colonnes = 1;
    bool m_titres = false;
};
