#include "core/report/SpoolBuffer.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <unistd.h>

namespace qm {

namespace {

// Kept in memory up to this much; a file beyond.
constexpr std::size_t kMemoryBytes = std::size_t(4) << 20;
// A write this large goes to the file at once.
constexpr std::size_t kDirectBytes = std::size_t(16) << 10;

bool writeAll(int fd, const char* data, std::size_t n) {
    while (n > 0) {
        const ssize_t done = ::write(fd, data, n);
        if (done < 0 && errno == EINTR)
            continue;
        if (done <= 0)
            return false;
        data += done;
        n -= std::size_t(done);
    }
    return true;
}

// A file only this process can reach, already unlinked: it goes when closed.
int openTemporary() {
    const char* folder = std::getenv("TMPDIR");
    std::string name = std::string(folder && *folder ? folder : "/tmp") + "/quillmark-XXXXXX";
    const int fd = ::mkstemp(name.data());
    if (fd >= 0)
        ::unlink(name.c_str());
    return fd;
}

} // namespace

SpoolBuffer::SpoolBuffer() = default;

SpoolBuffer::~SpoolBuffer() {
    if (fd_ >= 0)
        ::close(fd_);
}

bool SpoolBuffer::spill() {
    if (fd_ < 0)
        fd_ = openTemporary();
    // Without a temporary file what is kept stays in memory.
    if (fd_ < 0) {
        failed_ = true;
        return false;
    }
    if (!writeAll(fd_, memory_.data(), memory_.size())) {
        failed_ = true;
        return false;
    }
    spilled_ = true;
    memory_.clear();
    return true;
}

SpoolBuffer::int_type SpoolBuffer::overflow(int_type c) {
    if (traits_type::eq_int_type(c, traits_type::eof()))
        return traits_type::not_eof(c);
    const char byte = traits_type::to_char_type(c);
    xsputn(&byte, 1);
    return c;
}

std::streamsize SpoolBuffer::xsputn(const char* s, std::streamsize n) {
    // Once the file is in use, blocks go to it as they come, without a copy
    // in memory on the way.
    if (spilled_ && !failed_ && memory_.empty() && std::size_t(n) >= kDirectBytes) {
        failed_ = !writeAll(fd_, s, std::size_t(n));
        return n;
    }
    memory_.append(s, std::size_t(n));
    if (memory_.size() >= kMemoryBytes && !failed_)
        spill();
    return n;
}

bool SpoolBuffer::copyTo(std::ostream& out) {
    return forEachBlock(
        [&out](std::string_view block) { out.write(block.data(), std::streamsize(block.size())); });
}

bool SpoolBuffer::forEachBlock(const std::function<void(std::string_view)>& visit) {
    if (spilled_) {
        // A write to the file that failed left a part of what was kept out.
        if (failed_ || ::lseek(fd_, 0, SEEK_SET) != 0)
            return false;
        char block[1 << 16];
        for (;;) {
            const ssize_t got = ::read(fd_, block, sizeof block);
            if (got < 0 && errno == EINTR)
                continue;
            if (got < 0)
                return false;
            if (got == 0)
                break;
            visit(std::string_view(block, std::size_t(got)));
        }
    }
    visit(memory_);
    return true;
}

} // namespace qm
