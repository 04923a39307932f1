#include "core/io/RegularFile.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace qm {

int openRegularFile(const std::string& path, std::string* error) {
    int fd;
    do {
        fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        if (error)
            *error = std::strerror(errno);
        return -1;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        const bool folder = S_ISDIR(st.st_mode);
        ::close(fd);
        if (error)
            *error = folder ? std::strerror(EISDIR) : "Not a regular file";
        return -1;
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    return fd;
}

WholeFile readWholeRegularFile(const std::string& path, std::size_t maxBytes, std::string& text,
                               std::string& error) {
    const int fd = openRegularFile(path, &error);
    if (fd < 0)
        return error == std::strerror(ENOENT) ? WholeFile::Missing : WholeFile::Failed;
    WholeFile outcome = WholeFile::Read;
    char buffer[64 * 1024];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            error = std::strerror(errno);
            outcome = WholeFile::Failed;
            break;
        }
        if (n == 0)
            break;
        text.append(buffer, std::size_t(n));
        if (text.size() > maxBytes) {
            outcome = WholeFile::TooLong;
            break;
        }
    }
    ::close(fd);
    return outcome;
}

} // namespace qm
