#include "core/common/FileText.h"

#include "core/common/ByteWords.h"

#include <cstdint>

namespace qm {

namespace {

std::array<char16_t, 256> makeTable() {
    std::array<char16_t, 256> table{};
    for (int byte = 0; byte < 256; ++byte)
        table[static_cast<std::size_t>(byte)] = static_cast<char16_t>(byte);
    // 0x81, 0x8D, 0x8F, 0x90 and 0x9D stay as their Latin-1 code points.
    static const char16_t kHigh[32] = {
        0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
        0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
        0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};
    for (int i = 0; i < 32; ++i)
        table[static_cast<std::size_t>(0x80 + i)] = kHigh[i];
    return table;
}

} // namespace

const std::array<char16_t, 256>& FileText::codePoints() {
    static const std::array<char16_t, 256> table = makeTable();
    return table;
}

namespace {

// The bytes before the first whole word of eight that holds a byte of 0x80 or
// above: a run that is ASCII for certain, found a word at a time.
std::size_t asciiPrefix(std::string_view bytes) {
    std::size_t i = 0;
    while (i + 8 <= bytes.size() && !ByteWords::anyHigh(ByteWords::at(bytes.data() + i)))
        i += 8;
    return i;
}

// Whether a word of eight bytes holds one that is not printable ASCII as it
// stands: below 0x20, 0x7F and above, or a backslash.
bool holdsNonPlain(std::uint64_t word) {
    return ByteWords::anyBelow(word, 0x20) || ByteWords::anyAbove(word, 0x7E) ||
           ByteWords::anyEqual(word, '\\');
}

} // namespace

bool FileText::isAscii(std::string_view bytes) {
    std::size_t i = asciiPrefix(bytes);
    for (; i < bytes.size(); ++i)
        if (static_cast<unsigned char>(bytes[i]) >= 0x80)
            return false;
    return true;
}

void FileText::appendCodePoint(std::string& out, char32_t c) {
    if (c < 0x80) {
        out.push_back(static_cast<char>(c));
    } else if (c < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (c >> 6)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else if (c < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (c >> 12)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (c >> 18)));
        out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
}

void FileText::appendUtf8(std::string& out, std::string_view bytes) {
    const auto& table = codePoints();
    // Runs of ASCII, most of a claim file, are UTF-8 as they stand.
    for (std::size_t i = 0; i < bytes.size();) {
        std::size_t ascii = i + asciiPrefix(bytes.substr(i));
        while (ascii < bytes.size() && static_cast<unsigned char>(bytes[ascii]) < 0x80)
            ++ascii;
        out.append(bytes.data() + i, ascii - i);
        if (ascii < bytes.size())
            appendCodePoint(out, table[static_cast<unsigned char>(bytes[ascii])]);
        i = ascii + 1;
    }
}

std::string FileText::toUtf8(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size());
    appendUtf8(out, bytes);
    return out;
}

std::size_t FileText::utf8At(std::string_view text, std::size_t at, char32_t& code) {
    auto byte = [&](std::size_t i) {
        return static_cast<unsigned char>(text[i]);
    };
    const unsigned char c = byte(at);
    const std::size_t extra = c < 0x80           ? 0
                              : (c >> 5) == 0x6  ? 1
                              : (c >> 4) == 0xE  ? 2
                              : (c >> 3) == 0x1E ? 3
                                                 : 4;
    if (extra == 4 || at + extra >= text.size())
        return 0;
    code = extra == 0 ? c : extra == 1 ? (c & 0x1F) : extra == 2 ? (c & 0x0F) : (c & 0x07);
    for (std::size_t k = 1; k <= extra; ++k) {
        if ((byte(at + k) >> 6) != 0x2)
            return 0;
        code = (code << 6) | (byte(at + k) & 0x3F);
    }
    return extra + 1;
}

namespace {

bool isValidUtf8(std::string_view text) {
    char32_t code;
    for (std::size_t i = 0, length; i < text.size(); i += length)
        if ((length = FileText::utf8At(text, i, code)) == 0)
            return false;
    return true;
}

} // namespace

std::string FileText::pathToUtf8(std::string_view bytes) {
    return isValidUtf8(bytes) ? std::string(bytes) : toUtf8(bytes);
}

bool FileText::isPlain(std::string_view bytes) {
    if (bytes.size() < 8) {
        bool plain = true;
        for (const char byte : bytes)
            plain = plain && byte >= 0x20 && byte < 0x7F && byte != '\\';
        return plain;
    }
    // Whole words, the last one overlapping the one before.
    const char* const last = bytes.data() + bytes.size() - 8;
    for (const char* at = bytes.data(); at < last; at += 8)
        if (holdsNonPlain(ByteWords::at(at)))
            return false;
    return !holdsNonPlain(ByteWords::at(last));
}

void FileText::appendPrintable(std::string& out, std::string_view bytes) {
    // Most texts are plain printable ASCII and go out as they are.
    if (isPlain(bytes)) {
        out.append(bytes);
        return;
    }
    static const char kHex[] = "0123456789abcdef";
    const auto& table = codePoints();
    for (char byte : bytes) {
        const char16_t c = table[static_cast<unsigned char>(byte)];
        if (c == '\\') {
            out += "\\\\";
        } else if (c == '\n') {
            out += "\\n";
        } else if (c == '\r') {
            out += "\\r";
        } else if (c == '\t') {
            out += "\\t";
        } else if (c < 0x20 || c == 0x7F || (c >= 0x80 && c < 0xA0)) {
            out += "\\x";
            out.push_back(kHex[(c >> 4) & 0xF]);
            out.push_back(kHex[c & 0xF]);
        } else {
            appendCodePoint(out, c);
        }
    }
}

void FileText::appendPrintableUtf8(std::string& out, std::string_view utf8) {
    static const char kHex[] = "0123456789abcdef";
    auto escape = [&out](const char* prefix, char32_t c, int digits) {
        out += prefix;
        for (int shift = 4 * (digits - 1); shift >= 0; shift -= 4)
            out.push_back(kHex[(c >> shift) & 0xF]);
    };
    for (std::size_t i = 0; i < utf8.size();) {
        char32_t c = 0;
        const std::size_t length = utf8At(utf8, i, c);
        if (length == 0) {
            escape("\\x", static_cast<unsigned char>(utf8[i]), 2);
            ++i;
            continue;
        }
        const bool bidi = c == 0x061C || c == 0x200E || c == 0x200F ||
                          (c >= 0x202A && c <= 0x202E) || (c >= 0x2066 && c <= 0x2069);
        if (c < 0x80)
            appendPrintable(out, utf8.substr(i, 1)); // ASCII: as a file's bytes
        else if (c < 0xA0)
            escape("\\x", c, 2); // a C1 control
        else if (bidi)
            escape("\\u", c, 4);
        else
            out.append(utf8, i, length);
        i += length;
    }
}

std::string FileText::printableUtf8(std::string_view utf8) {
    std::string out;
    appendPrintableUtf8(out, utf8);
    return out;
}

std::string FileText::toPrintable(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size());
    appendPrintable(out, bytes);
    return out;
}

} // namespace qm
