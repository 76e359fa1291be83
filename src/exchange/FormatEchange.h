#pragma once

#include <QString>
#include <QStringList>

// The kinds of file the program writes and reads: its own two delimited files
// (no quoting, Windows-1252, as other copies of the program expect), the standard
// CSV that spreadsheets exchange, and vCard, which every other address book
// speaks: written as 3.0 or 4.0, read in any version.
enum class TypeFichier { Texte = 1, Csv = 2, CsvStandard = 3, VCard3 = 4, VCard4 = 5, VCard = 6 };

class FormatEchange
{
public:
    static char Separateur(TypeFichier type);   // the standard CSV's is found when reading
    static QString Extension(TypeFichier type); // "TXT", "CSV", "csv", "vcf"
    static QString Filtre(TypeFichier type);    // the dialogs' filter text
    static QStringList FiltresExport();         // in type order
    static QStringList FiltresImport();
    static TypeFichier TypeDuFiltre(const QString& filtre);
    static bool EstVCard(TypeFichier type)
    {
        return type == TypeFichier::VCard3 || type == TypeFichier::VCard4 ||
               type == TypeFichier::VCard;
    }

    // The name proposed before the save dialog opens: the book's name with the
    // type's extension, or "*." and the extension for an unnamed book.
    static QString NomPropose(const QString& fichierCourant, TypeFichier type);
    // The chosen name with its extension replaced by the type's: the type decides,
    // whatever the user typed.
    static QString AvecExtension(const QString& chemin, TypeFichier type);
};
