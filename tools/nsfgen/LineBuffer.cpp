#include "LineBuffer.h"

#include "FieldPlacer.h"

#include <cerrno>
#include <cstring>
#include <stdexcept>
#include <string>

namespace nsfgen {

LineBuffer::LineBuffer(std::FILE* out, std::size_t chunkBytes)
    : out_(out)
    , chunkBytes_(chunkBytes) {
    buffer_.reserve(chunkBytes_ + 4096);
}

LineBuffer::~LineBuffer() {
    try {
        flush();
    } catch (const std::exception&) {
        // The owner flushes explicitly and reports errors; nothing to add here.
    }
}

void LineBuffer::reserveFor(std::size_t bytes) {
    if (buffer_.size() + bytes > chunkBytes_)
        flush();
}

char* LineBuffer::newRecord() {
    constexpr std::size_t kLine = qm::kRecordLength + 2;
    reserveFor(kLine);
    const std::size_t at = buffer_.size();
    buffer_.resize(at + kLine, ' ');
    char* line = buffer_.data() + at;
    line[qm::kRecordLength] = '\r';
    line[qm::kRecordLength + 1] = '\n';
    return line;
}

void LineBuffer::rawLine(std::string_view text) {
    reserveFor(text.size() + 2);
    buffer_.insert(buffer_.end(), text.begin(), text.end());
    buffer_.push_back('\r');
    buffer_.push_back('\n');
}

void LineBuffer::cutLastRecord(std::size_t keep) {
    // newRecord never leaves its line outside the buffer.
    buffer_.resize(buffer_.size() - (qm::kRecordLength + 2 - keep));
}

void LineBuffer::flush() {
    if (buffer_.empty())
        return;
    if (std::fwrite(buffer_.data(), 1, buffer_.size(), out_) != buffer_.size())
        throw std::runtime_error(std::string("write failed: ") + std::strerror(errno));
    written_ += buffer_.size();
    buffer_.clear();
}

} // namespace nsfgen
