#pragma once

#include <cstdio>

// Opens PATH for reading only when it is a regular file. A FIFO named like a
// data file would block open() until a writer comes, and a device such as
// /dev/zero never ends, so the file is opened without waiting and examined
// before anything reads it. Answers nullptr for anything else; the caller
// owns the stream.
std::FILE* openRegularFile(const char* path);

// Opens PATH for writing (created or emptied) without waiting: a FIFO that
// no process reads fails at once instead of holding the caller until a
// reader comes. Answers nullptr when it cannot be opened.
std::FILE* openForWritingNoWait(const char* path);
