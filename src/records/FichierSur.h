#pragma once

#include <QString>
#include <cstddef>

// Writes a whole file atomically: the bytes go to a temporary file that replaces
// the target only when every byte was written, so a failure (full disk, quota,
// read-only folder) leaves the previous file as it was.
class FichierSur
{
public:
    // Empty on success; otherwise the system's reason in French.
    static QString Ecrit(const QString& chemin, const char* octets, size_t taille);
};
