#include "core/io/SequentialFile.h"

#include "core/io/RegularFile.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace qm {

namespace {
// Large enough that system calls cost little next to the copying, also on a
// virtual machine where each costs more (at 64 KB they were a tenth of a
// whole-file reading there), small enough to stay in the CPU's second-level
// cache while the lines are found.
constexpr std::size_t kBufferSize = std::size_t(1) << 18;
// A line found whole in the buffer is never longer than the cap, so only the
// slow path has to cut lines.
static_assert(kBufferSize <= SequentialFile::kMaxLineLength);
// The first read after a seek: a page, which holds a record or a few. A seek
// is mostly for one record (a header, a trailer, a click's record), and a
// whole buffer read for it would copy sixteen times what is used.
constexpr std::size_t kFirstReadSize = std::size_t(1) << 12;
} // namespace

SequentialFile::SequentialFile() = default;

SequentialFile::~SequentialFile() {
    close();
}

bool SequentialFile::open(const std::string& path, std::string* error) {
    close();
    const int fd = openRegularFile(path, error);
    if (fd < 0)
        return false;
    fd_ = fd;
    path_ = path;
    if (!buf_)
        buf_.reset(new char[kBufferSize]);
    seek(1);
    return true;
}

bool SequentialFile::openSame(const SequentialFile& other, std::string* error) {
    close();
    const int fd = other.fd_ < 0 ? -1 : ::fcntl(other.fd_, F_DUPFD_CLOEXEC, 0);
    if (fd < 0) {
        if (error)
            *error = other.fd_ < 0 ? "The file is not open" : std::strerror(errno);
        return false;
    }
    fd_ = fd;
    path_ = other.path_;
    lineEnds_ = other.lineEnds_;
    if (!buf_)
        buf_.reset(new char[kBufferSize]);
    seek(1);
    return true;
}

std::size_t SequentialFile::readBytes(std::int64_t position, char* buffer, std::size_t n) const {
    std::size_t done = 0;
    while (fd_ >= 0 && position >= 1 && done < n) {
        const ssize_t got = ::pread(fd_, buffer + done, n - done,
                                    static_cast<off_t>(position - 1) + static_cast<off_t>(done));
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            break;
        done += static_cast<std::size_t>(got);
    }
    return done;
}

std::int64_t SequentialFile::size() const {
    struct stat st {};
    if (fd_ < 0 || ::fstat(fd_, &st) != 0)
        return 0;
    return static_cast<std::int64_t>(st.st_size);
}

void SequentialFile::close() {
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
    bufLen_ = bufPos_ = 0;
    pos_ = 1;
    eof_ = false;
}

void SequentialFile::seek(std::int64_t position) {
    if (position < 1)
        position = 1;
    // Reading resumes from the file itself, so a file changed since the last
    // read is seen as it is now.
    bufLen_ = bufPos_ = 0;
    pos_ = position;
    eof_ = false;
    readSize_ = kFirstReadSize;
}

bool SequentialFile::fill() {
    if (fd_ < 0 || eof_)
        return false;
    if (stop_ && stop_->load(std::memory_order_relaxed)) {
        eof_ = true;
        return false;
    }
    bufLen_ = bufPos_ = 0;
    nextLf_ = kNotLooked;
    for (;;) {
        ssize_t n = ::pread(fd_, buf_.get(), readSize_, static_cast<off_t>(pos_ - 1));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            // An error reads as the end of the file: the caller sees no more lines.
            eof_ = true;
            return false;
        }
        bufLen_ = static_cast<std::size_t>(n);
        readSize_ = kBufferSize;
        if (readUpTo_)
            readUpTo_->store(pos_ - 1 + n, std::memory_order_relaxed);
        return true;
    }
}

bool SequentialFile::atEnd() {
    if (bufPos_ < bufLen_)
        return false;
    return !fill();
}

bool SequentialFile::readLineView(std::string_view& line) {
    line = {};
    lastCut_ = false;
    if (atEnd())
        return false;

    if (takeBufferedLine(line))
        return true;

    // Slow path: the line runs past the buffer. Gather it in scratch_, up to the cap.
    scratch_.clear();
    for (;;) {
        if (bufPos_ >= bufLen_ && !fill())
            break; // end of file ends the line
        const char* start = buf_.get() + bufPos_;
        const std::size_t avail = bufLen_ - bufPos_;
        const char* end = nullptr;
        if (lineEnds_ == LineEnds::AlsoLf) {
            const std::size_t at = nextLineEnd();
            end = at < bufLen_ ? buf_.get() + at : nullptr;
        } else {
            end = static_cast<const char*>(std::memchr(start, '\r', avail));
        }
        std::size_t len = end ? static_cast<std::size_t>(end - start) : avail;
        std::size_t room = kMaxLineLength - scratch_.size();
        if (len > room)
            lastCut_ = true;
        scratch_.append(start, len < room ? len : room);
        bufPos_ += len;
        pos_ += static_cast<std::int64_t>(len);
        if (end) {
            const bool lf = *end == '\n';
            ++bufPos_;
            ++pos_;
            // CR LF: the LF may be the first byte of the next buffer.
            if (!lf && (bufPos_ < bufLen_ || fill())) {
                if (buf_[bufPos_] == '\n') {
                    ++bufPos_;
                    ++pos_;
                }
            }
            break;
        }
    }
    line = scratch_;
    return true;
}

std::size_t SequentialFile::nextLineEnd() {
    const char* buf = buf_.get();
    if (nextLf_ == kNotLooked || nextLf_ < bufPos_) {
        const void* lf = std::memchr(buf + bufPos_, '\n', bufLen_ - bufPos_);
        nextLf_ = lf ? static_cast<std::size_t>(static_cast<const char*>(lf) - buf) : bufLen_;
    }
    // A CR before the LF ends the line there: only the line is searched for it.
    const void* cr = std::memchr(buf + bufPos_, '\r', nextLf_ - bufPos_);
    return cr ? static_cast<std::size_t>(static_cast<const char*>(cr) - buf) : nextLf_;
}

bool SequentialFile::takeBufferedLfLine(std::string_view& line) {
    const std::size_t end = nextLineEnd();
    if (end >= bufLen_)
        return false;
    std::size_t consumed = end - bufPos_ + 1;
    if (buf_[end] == '\r') {
        // Whether an LF follows shows only in the next byte.
        if (end + 1 >= bufLen_)
            return false;
        consumed += buf_[end + 1] == '\n' ? 1 : 0;
    }
    line = std::string_view(buf_.get() + bufPos_, end - bufPos_);
    bufPos_ += consumed;
    pos_ += static_cast<std::int64_t>(consumed);
    lastCut_ = false;
    return true;
}

bool SequentialFile::readLine(std::string& line) {
    std::string_view view;
    bool ok = readLineView(view);
    line.assign(view.data(), view.size());
    return ok;
}

std::string SequentialFile::identity() const {
    struct stat st {};
    if (fd_ < 0 || ::fstat(fd_, &st) != 0)
        return {};
    return std::to_string(st.st_dev) + ':' + std::to_string(st.st_ino) + ':' +
           std::to_string(st.st_size) + ':' + std::to_string(st.st_mtim.tv_sec) + '.' +
           std::to_string(st.st_mtim.tv_nsec);
}

} // namespace qm
