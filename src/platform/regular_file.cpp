#include "platform/regular_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The stream of a descriptor opened without waiting. The non-blocking flag
// is dropped first: it was needed only for the opening, and writes to a FIFO
// must wait for its reader rather than fail when its buffer is full.
std::FILE* streamOf(int fd, const char* mode) {
    int flags = fcntl(fd, F_GETFL);
    if (flags >= 0) fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
    std::FILE* file = fdopen(fd, mode);
    if (file == nullptr) close(fd);
    return file;
}

}  // namespace

std::FILE* openRegularFile(const char* path) {
    int fd = open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return nullptr;
    struct stat st;
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        close(fd);
        return nullptr;
    }
    return streamOf(fd, "rb");
}

std::FILE* openForWritingNoWait(const char* path) {
    int fd = open(path, O_WRONLY | O_CREAT | O_TRUNC | O_NONBLOCK | O_CLOEXEC, 0666);
    if (fd < 0) return nullptr;
    return streamOf(fd, "w");
}
