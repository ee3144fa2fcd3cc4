#pragma once

#include <cstdio>

// Opens PATH for reading only when it is a regular file. A FIFO named like a
// data file would block open() until a writer comes, and a device such as
// /dev/zero never ends, so the file is opened without waiting and examined
// before anything reads it. Answers nullptr for anything else; the caller
// owns the stream.
std::FILE* openRegularFile(const char* path);
