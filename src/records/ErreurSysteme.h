#pragma once

#include <QString>

// The system's reasons reach us as the C library's English texts; the user reads French.
class ErreurSysteme
{
public:
    static QString EnFrancais(const QString& raison);
    // The French text of an error number (errno).
    static QString Numero(int erreur);
};
