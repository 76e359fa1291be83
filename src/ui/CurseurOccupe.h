#pragma once

// Shows the busy cursor for its lifetime, so that the normal cursor comes back
// whichever way the operation ends.
class CurseurOccupe
{
public:
    CurseurOccupe();
    ~CurseurOccupe();
    CurseurOccupe(const CurseurOccupe&) = delete;
    CurseurOccupe& operator=(const CurseurOccupe&) = delete;
};
