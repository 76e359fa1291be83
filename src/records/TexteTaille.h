#pragma once

#include <QString>
#include <cstdint>

// Sizes told to the user in megabytes, French style ("16,2 Mo").
class TexteTaille
{
public:
    // `octets` in Mo, with the decimals needed to tell it apart from `autre` (the
    // limit it is compared with) when both would otherwise read the same.
    static QString Mo(int64_t octets, int64_t autre = -1);
};
