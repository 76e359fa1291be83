#pragma once

#include <QString>
#include <QStringList>

// The three kinds of delimited file the program writes and reads: its own two
// (no quoting, Windows-1252, as other copies of the program expect) and the
// standard CSV that spreadsheets and other address books exchange.
enum class TypeFichier { Texte = 1, Csv = 2, CsvStandard = 3 };

class FormatEchange
{
public:
    static char Separateur(TypeFichier type);   // the standard CSV's is found when reading
    static QString Extension(TypeFichier type); // "TXT", "CSV", "csv"
    static QString Filtre(TypeFichier type);    // the dialogs' filter text
    static QStringList Filtres();               // in type order
    static TypeFichier TypeDuFiltre(const QString& filtre);

    // The name proposed before the save dialog opens: the book's name with the
    // type's extension, or "*." and the extension for an unnamed book.
    static QString NomPropose(const QString& fichierCourant, TypeFichier type);
    // The chosen name with its extension replaced by the type's: the type decides,
    // whatever the user typed.
    static QString AvecExtension(const QString& chemin, TypeFichier type);
};
