#include "core/report/JsonWriter.h"

#include "core/common/ByteWords.h"
#include "core/common/FileText.h"

#include <cstring>
#include <string>

namespace qm {

namespace {

// Enough to write in few calls, little enough to stay in the CPU cache.
constexpr std::size_t kBlock = std::size_t(1) << 15;

} // namespace

JsonWriter::JsonWriter(std::ostream& out, bool pretty)
    : out_(out)
    , buffer_(new char[kBlock])
    , capacity_(kBlock)
    , pretty_(pretty) {
}

JsonWriter::~JsonWriter() {
    flush();
}

void JsonWriter::flush() {
    if (size_)
        out_.write(buffer_.get(), std::streamsize(size_));
    size_ = 0;
}

void JsonWriter::makeRoom(std::size_t n) {
    flush();
    if (n <= capacity_)
        return;
    // A string longer than a block (a record of a claim form): room for it alone.
    buffer_.reset(new char[n]);
    capacity_ = n;
}

void JsonWriter::newline() {
    if (!pretty_)
        return;
    const std::size_t indent = 2 * levels_.size();
    char* at = room(1 + indent);
    *at = '\n';
    std::memset(at + 1, ' ', indent);
    size_ += 1 + indent;
}

void JsonWriter::beforeOtherValue() {
    if (afterKey_) {
        afterKey_ = false;
        return;
    }
    if (levels_.empty())
        return;
    Level& level = levels_.back();
    if (level.shape) {
        beforeMember();
        return;
    }
    if (!level.empty)
        put(',');
    level.empty = false;
    newline();
}

void JsonWriter::beforeMember() {
    Level& level = levels_.back();
    const std::size_t member = level.next++;
    level.empty = false;
    if (member)
        put(',');
    newline();
    put(level.shape->quoted(member));
    put(": ", 2);
}

void JsonWriter::open(char bracket, const JsonShape* shape) {
    beforeValue();
    put(bracket);
    if (!levels_.empty())
        levels_.back().nextPiece = nextPiece_;
    // A shape's members go on one line without an indent each, the others
    // the careful way.
    const bool onOneLine = shape && !pretty_ && shape->size() > 0;
    levels_.push_back({!onOneLine, shape, 0, nullptr});
    nextPiece_ = onOneLine ? shape->befores() : nullptr;
}

void JsonWriter::close(char bracket) {
    const bool empty = levels_.back().empty;
    levels_.pop_back();
    nextPiece_ = levels_.empty() ? nullptr : levels_.back().nextPiece;
    if (!empty)
        newline();
    put(bracket);
}

JsonWriter& JsonWriter::beginObject() {
    open('{');
    return *this;
}

JsonWriter& JsonWriter::beginObject(const JsonShape& shape) {
    open('{', &shape);
    return *this;
}

JsonWriter& JsonWriter::endObject() {
    close('}');
    return *this;
}

JsonWriter& JsonWriter::beginArray() {
    open('[');
    return *this;
}

JsonWriter& JsonWriter::endArray() {
    close(']');
    return *this;
}

JsonWriter& JsonWriter::key(std::string_view name) {
    beforeValue();
    putString(name, false);
    if (pretty_)
        put(": ", 2);
    else
        put(':');
    afterKey_ = true;
    return *this;
}

JsonWriter& JsonWriter::value(std::string_view utf8) {
    beforeValue();
    putString(utf8, false);
    return *this;
}

namespace {

// The decimal digits of n at out, which has room for 20; where they end.
// Written two at a time from the right: positions, line numbers and counts
// are many of a report's values.
char* writeDecimal(char* out, std::uint64_t n) {
    static const char kPairs[] = "00010203040506070809101112131415161718192021222324"
                                 "25262728293031323334353637383940414243444546474849"
                                 "50515253545556575859606162636465666768697071727374"
                                 "75767778798081828384858687888990919293949596979899";
    std::size_t digits = 1;
    for (std::uint64_t power = 10; digits < 20 && n >= power; power *= 10)
        ++digits;
    char* const end = out + digits;
    char* at = end;
    for (; n >= 100; n /= 100) {
        at -= 2;
        std::memcpy(at, kPairs + 2 * (n % 100), 2);
    }
    if (n >= 10) {
        at -= 2;
        std::memcpy(at, kPairs + 2 * n, 2);
    } else {
        *--at = static_cast<char>('0' + n);
    }
    return end;
}

} // namespace

JsonWriter& JsonWriter::value(std::int64_t number) {
    beforeValue();
    char* const start = room(21); // the digits of any 64-bit number, and its sign
    char* at = start;
    std::uint64_t magnitude = static_cast<std::uint64_t>(number);
    if (number < 0) {
        *at++ = '-';
        magnitude = 0 - magnitude;
    }
    size_ += std::size_t(writeDecimal(at, magnitude) - start);
    return *this;
}

JsonWriter& JsonWriter::fileString(std::string_view bytes) {
    beforeValue();
    putString(bytes, true);
    return *this;
}

JsonWriter& JsonWriter::raw(std::string_view text) {
    put(text);
    return *this;
}

namespace {

// A high bit in each byte of a word of eight that a JSON string must
// escape, or (highToo) that is 0x80 or above, which file bytes decode; some
// bytes after such a byte may be marked too. ByteWords' tests in one
// expression, without a branch for each: every string of a report passes
// through here.
std::uint64_t marked(std::uint64_t word, bool highToo) {
    constexpr std::uint64_t kOnes = ByteWords::kOnes;
    const std::uint64_t quote = word ^ (kOnes * '"');
    const std::uint64_t slash = word ^ (kOnes * '\\');
    return (((word - kOnes * 0x20) & ~word) | ((quote - kOnes) & ~quote) |
            ((slash - kOnes) & ~slash) | (highToo ? word : 0)) &
           ByteWords::kHighBits;
}

// Whether no byte of text needs an escape (or, highToo, is 0x80 or above):
// most texts and every key, which then go out whole. The words are tested
// all, without a branch for each, and the last few bytes as the word that
// ends the text.
bool isPlain(std::string_view text, bool highToo) {
    const char* const bytes = text.data();
    const std::size_t n = text.size();
    if (n < 8) {
        // Byte by byte, without a call to gather them into a word.
        std::uint64_t word = ByteWords::kOnes * 'a';
        for (std::size_t i = 0; i < n; ++i)
            word = (word << 8) | static_cast<unsigned char>(bytes[i]);
        return !marked(word, highToo);
    }
    std::uint64_t marks = marked(ByteWords::at(bytes + n - 8), highToo);
    for (std::size_t i = 0; i + 8 <= n; i += 8)
        marks |= marked(ByteWords::at(bytes + i), highToo);
    return !marks;
}

// Where the first byte to escape (or decode) is.
std::size_t plainPrefix(std::string_view text, bool highToo) {
    std::size_t i = 0;
    for (; i < text.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (c < 0x20 || c == '"' || c == '\\' || (highToo && c >= 0x80))
            break;
    }
    return i;
}

// A JSON string of text with nothing to escape, quoted.
void appendPlain(std::string& out, std::string_view text) {
    char quoted[64];
    if (text.size() + 2 <= sizeof quoted) {
        // A key or a short value: put together here and appended at once.
        quoted[0] = '"';
        if (!text.empty())
            std::memcpy(quoted + 1, text.data(), text.size());
        quoted[text.size() + 1] = '"';
        out.append(quoted, text.size() + 2);
        return;
    }
    out += '"';
    out.append(text);
    out += '"';
}

// The quoted string from its first byte to escape (at `plain`) on; file
// bytes of 0x80 and above (decodeHigh) as the characters they stand for.
void appendEscaped(std::string& out, std::string_view text, std::size_t plain, bool decodeHigh) {
    static const char kHex[] = "0123456789abcdef";
    const auto& codePoints = FileText::codePoints();
    out += '"';
    out.append(text.data(), plain);
    for (std::size_t i = plain; i < text.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (c >= 0x20 && c != '"' && c != '\\' && (c < 0x80 || !decodeHigh))
            continue;
        out.append(text.data() + plain, i - plain);
        plain = i + 1;
        switch (c) {
        case '"':
            out += "\\\"";
            break;
        case '\\':
            out += "\\\\";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\t':
            out += "\\t";
            break;
        default:
            if (c >= 0x80) {
                FileText::appendCodePoint(out, codePoints[c]);
                break;
            }
            out += "\\u00";
            out += kHex[c >> 4];
            out += kHex[c & 0xF];
        }
    }
    out.append(text.data() + plain, text.size() - plain);
    out += '"';
}

} // namespace

void JsonWriter::putString(std::string_view text, bool fileBytes) {
    if (isPlain(text, fileBytes)) {
        // Most strings, keys and file bytes alike: nothing to escape.
        putQuoted(text);
        return;
    }
    escaped_.clear();
    appendEscaped(escaped_, text, plainPrefix(text, fileBytes), fileBytes);
    put(escaped_);
}

void JsonWriter::appendString(std::string& out, std::string_view utf8) {
    if (isPlain(utf8, false))
        appendPlain(out, utf8);
    else
        appendEscaped(out, utf8, plainPrefix(utf8, false), false);
}

void JsonWriter::appendFileString(std::string& out, std::string_view bytes) {
    // Most file bytes are plain ASCII, their own UTF-8, with nothing to escape.
    if (isPlain(bytes, true))
        appendPlain(out, bytes);
    else
        appendEscaped(out, bytes, plainPrefix(bytes, true), true);
}

} // namespace qm
