#include "core/io/TemporaryFile.h"

#include <cerrno>
#include <cstdlib>
#include <string>
#include <unistd.h>

namespace qm {

TemporaryFile::~TemporaryFile() {
    if (fd_ >= 0)
        ::close(fd_);
}

bool TemporaryFile::open() {
    if (fd_ >= 0 || failed_)
        return fd_ >= 0;
    const char* folder = std::getenv("TMPDIR");
    std::string name = std::string(folder && *folder ? folder : "/tmp") + "/quillmark-XXXXXX";
    fd_ = ::mkstemp(name.data());
    if (fd_ < 0) {
        failed_ = true;
        return false;
    }
    ::unlink(name.c_str());
    return true;
}

bool TemporaryFile::append(const char* data, std::size_t n) {
    if ((fd_ < 0 && !open()) || failed_)
        return false;
    while (n > 0) {
        const ssize_t done = ::pwrite(fd_, data, n, static_cast<off_t>(size_));
        if (done < 0 && errno == EINTR)
            continue;
        if (done <= 0) {
            failed_ = true;
            return false;
        }
        data += done;
        n -= std::size_t(done);
        size_ += done;
    }
    return true;
}

std::size_t TemporaryFile::readAt(std::int64_t offset, char* buffer, std::size_t n) const {
    std::size_t done = 0;
    while (fd_ >= 0 && done < n) {
        const ssize_t got = ::pread(fd_, buffer + done, n - done,
                                    static_cast<off_t>(offset) + static_cast<off_t>(done));
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            break;
        done += std::size_t(got);
    }
    return done;
}

} // namespace qm
