#pragma once

#include <atomic>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <type_traits>

namespace qm {

// A claim or map file read front to back as lines, with 1-based byte positions.
// A line ends at CR or at CR LF; a lone LF is an ordinary character unless the
// reader is told to end lines there too (LineEnds::AlsoLf). Reads go through a
// large buffer, never byte by byte, and never map the file: a file that
// shrinks or vanishes while open simply reaches its end.
class SequentialFile {
public:
    // Where lines end. AlsoLf reads a file written with LF alone (a Unix tool,
    // an ASCII-mode transfer) line by line; CR and CR LF still end lines, so
    // a file that mixes them reads as well.
    enum class LineEnds : std::uint8_t { CrOrCrLf, AlsoLf };

    // A file without a single CR is one line as long as the file. Lines are
    // kept whole up to this cap and cut beyond it (the rest of the line is
    // still consumed), so a multi-gigabyte line cannot exhaust memory.
    static constexpr std::size_t kMaxLineLength = std::size_t(1) << 20;

    SequentialFile();
    ~SequentialFile();
    SequentialFile(const SequentialFile&) = delete;
    SequentialFile& operator=(const SequentialFile&) = delete;

    // Opens read-only without locking others out. On failure, error names the reason.
    bool open(const std::string& path, std::string* error = nullptr);
    // Opens the very file another reader has open (its descriptor duplicated),
    // so that a worker reads what the user opened even if the path now names
    // another file, with the same line ends. Reading never moves the other reader.
    bool openSame(const SequentialFile& other, std::string* error = nullptr);
    void close();
    bool isOpen() const { return fd_ >= 0; }
    // The file's size now, in bytes (0 when it cannot be told).
    std::int64_t size() const;
    const std::string& path() const { return path_; }
    // Kept across open and close; CrOrCrLf unless set.
    LineEnds lineEnds() const { return lineEnds_; }
    void setLineEnds(LineEnds lineEnds) { lineEnds_ = lineEnds; }

    // 1-based byte position of the next byte to be read.
    std::int64_t position() const { return pos_; }
    // Moves to a 1-based position; positions below 1 go to the first byte.
    void seek(std::int64_t position);
    // True when no byte is left to read (also for a file that shrank or vanished).
    bool atEnd();
    // Reads one line without its terminator; false (and an empty line) at the end.
    bool readLine(std::string& line);
    // The same without copying when the line lies within the buffer; the view is
    // valid until the next call on this file.
    bool readLineView(std::string_view& line);
    // Reads up to n bytes from a 1-based position into buffer, without moving
    // the read position; returns how many were read.
    std::size_t readBytes(std::int64_t position, char* buffer, std::size_t n) const;
    // Lets another thread follow and stop long reads: readUpTo, when given,
    // receives how far into the file reading has come after every buffer
    // read; once stop is set the file reads as ended. Null pointers end it.
    void watch(std::atomic<std::int64_t>* readUpTo, const std::atomic<bool>* stop) {
        readUpTo_ = readUpTo;
        stop_ = stop;
    }
    // True when the last line read was longer than kMaxLineLength and was cut.
    bool lastLineCut() const { return lastCut_; }

    // Calls visit(line, lineStart) for every line from the current position to
    // the end of the file, the same lines readLineView gives, without a call per
    // line for lines that lie within the buffer: the whole-file scans run here.
    // A visit that returns bool stops the scan by returning false.
    template <typename Visit> void forEachLine(Visit&& visit);

    // Identity of the file as opened (device, inode, size, modification time),
    // so that an index built over it can tell when the file was replaced.
    std::string identity() const;

private:
    bool fill();
    // The next line when it and the byte after its CR lie in the buffer, without
    // copying; false (nothing consumed) otherwise.
    bool takeBufferedLine(std::string_view& line) {
        if (lineEnds_ == LineEnds::AlsoLf)
            return takeBufferedLfLine(line);
        const char* start = buf_.get() + bufPos_;
        const std::size_t avail = bufLen_ - bufPos_;
        const void* cr = avail ? std::memchr(start, '\r', avail) : nullptr;
        if (!cr)
            return false;
        const std::size_t len = static_cast<std::size_t>(static_cast<const char*>(cr) - start);
        if (len + 1 >= avail)
            return false;
        const std::size_t consumed = len + 1 + (start[len + 1] == '\n' ? 1 : 0);
        bufPos_ += consumed;
        pos_ += static_cast<std::int64_t>(consumed);
        lastCut_ = false;
        line = std::string_view(start, len);
        return true;
    }
    // The same where LF ends a line too. Kept apart so that the usual reading
    // pays one branch for it.
    bool takeBufferedLfLine(std::string_view& line);
    // The offset in the buffer of the first CR or LF from bufPos_ on, bufLen_
    // when there is none.
    std::size_t nextLineEnd();

    int fd_ = -1;
    std::string path_;
    std::unique_ptr<char[]> buf_;
    std::size_t bufLen_ = 0; // valid bytes in buf_
    std::size_t bufPos_ = 0; // next byte in buf_
    std::int64_t pos_ = 1;
    std::size_t readSize_ = 0; // of the next buffer read: small right after a seek
    bool eof_ = false;
    bool lastCut_ = false;
    LineEnds lineEnds_ = LineEnds::CrOrCrLf;
    // With AlsoLf: the offset of the next LF in the buffer (bufLen_ for none)
    // once looked for, so that a buffer without one (a file of CR ends) is
    // searched once, not once per line; kNotLooked after every fill.
    static constexpr std::size_t kNotLooked = ~std::size_t(0);
    std::size_t nextLf_ = kNotLooked;
    std::atomic<std::int64_t>* readUpTo_ = nullptr;
    const std::atomic<bool>* stop_ = nullptr;
    std::string scratch_;
};

template <typename Visit> void SequentialFile::forEachLine(Visit&& visit) {
    auto goOn = [&visit](std::string_view line, std::int64_t lineStart) {
        if constexpr (std::is_same_v<decltype(visit(line, lineStart)), bool>) {
            return visit(line, lineStart);
        } else {
            visit(line, lineStart);
            return true;
        }
    };
    std::string_view line;
    for (;;) {
        // Every line whose terminator, and the byte after it, lie in the buffer.
        for (std::int64_t lineStart = pos_; takeBufferedLine(line); lineStart = pos_)
            if (!goOn(line, lineStart))
                return;
        // A line across the end of the buffer, or the last one: the careful way.
        const std::int64_t lineStart = pos_;
        if (!readLineView(line) || !goOn(line, lineStart))
            return;
    }
}

} // namespace qm
