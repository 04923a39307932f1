#pragma once

#include <array>
#include <string>
#include <string_view>

namespace qm {

// The one rule for turning claim and map file bytes into text. Claim files
// come from Windows systems: one byte is one character of Windows-1252
// (Latin-1 plus the printable letters and signs at 0x80-0x9F, such as Š and
// €); the five bytes it leaves undefined stand for their Latin-1 code points.
class FileText {
public:
    // The Unicode code point of every byte.
    static const std::array<char16_t, 256>& codePoints();
    static char16_t codePoint(char byte) { return codePoints()[static_cast<unsigned char>(byte)]; }

    // True when every byte is ASCII: the bytes are their own UTF-8.
    static bool isAscii(std::string_view bytes);
    // Appends the bytes as UTF-8.
    static void appendUtf8(std::string& out, std::string_view bytes);
    // Appends one character as UTF-8.
    static void appendCodePoint(std::string& out, char32_t c);
    static std::string toUtf8(std::string_view bytes);

    // A path in the file system's bytes, as text: as it is when it is valid
    // UTF-8, else byte by byte by the file text rule.
    static std::string pathToUtf8(std::string_view bytes);
    // The UTF-8 sequence at text[at]: its length in bytes, with its code point
    // in code; 0 when the bytes there are not one.
    static std::size_t utf8At(std::string_view text, std::size_t at, char32_t& code);

    // For a terminal: as toUtf8, with control characters written as escapes
    // (\n, \r, \t, \\, \xNN), so that a file cannot retitle a terminal or
    // forge lines of output.
    static void appendPrintable(std::string& out, std::string_view bytes);
    // True when appendPrintable writes the bytes as they are: printable
    // ASCII without a backslash.
    static bool isPlain(std::string_view bytes);
    static std::string toPrintable(std::string_view bytes);
    // The same for text that is UTF-8 already (a format file's code meanings):
    // control characters, C1 controls included, and the marks that turn the
    // direction of what follows (U+202E, U+2066, ...) are escaped (\x85,
    // \u202e), as are bytes that are no UTF-8.
    static void appendPrintableUtf8(std::string& out, std::string_view utf8);
    static std::string printableUtf8(std::string_view utf8);
};

} // namespace qm
