#pragma once

// While a print job runs, the memory the PDF writer gives back after each page stays
// with the program for the next page, instead of going back to the system and being
// touched afresh: the writer's compression takes and frees about a quarter of a
// megabyte a page, and a fresh page of memory costs tens of microseconds here, which
// made up most of the time of a long list. At the end the free memory is handed back;
// the C library's limits stay where its own adjustment takes them after large blocks.
class MemoireGardee
{
public:
    MemoireGardee();
    ~MemoireGardee();
    MemoireGardee(const MemoireGardee&) = delete;
    MemoireGardee& operator=(const MemoireGardee&) = delete;
};
