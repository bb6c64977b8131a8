#include "platform/host/regular_file.h"

#include <fcntl.h>
#include <sys/stat.h>

#ifdef _WIN32

// Windows has no named pipes among its files: a regular file is all a
// path can open for reading here, but a folder or device is still refused.
FILE* openRegularFile(const char* path) {
    FILE* file = fopen(path, "rb");
    if (!file) return 0;
    struct _stat info;
    if (_fstat(_fileno(file), &info) != 0 || !(info.st_mode & _S_IFREG)) {
        fclose(file);
        return 0;
    }
    return file;
}

#else

#include <unistd.h>

FILE* openRegularFile(const char* path) {
    // Opening does not wait for a writer, so a named pipe is refused, not
    // waited on.
    const int fd = open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return 0;
    struct stat info;
    if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        close(fd);
        return 0;
    }
    // Reads of a regular file never wait; the flag goes all the same.
    fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    FILE* file = fdopen(fd, "rb");
    if (!file) close(fd);
    return file;
}

#endif
