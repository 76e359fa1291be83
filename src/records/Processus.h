#pragma once

// What the process sets up before any window: shared by the program and its tests.
class Processus
{
public:
    // A write beyond the file-size limit must fail like a full disk (the save
    // reports it and keeps the book), not end the program with SIGXFSZ.
    static void Prepare();
};
