#pragma once

#include <QString>
#include <string>
#include <string_view>

// Conversions between the engine's byte strings and Qt text.
class CoreText {
public:
    // Claim and map file bytes, by the file text rule (one byte, one
    // character: Windows-1252), so that columns in the file are columns on screen.
    static QString fromFile(std::string_view bytes);
    // The bytes a text of file characters came from (a character the rule
    // never makes becomes '?').
    static std::string toFileBytes(const QString& text);
    // Texts the engine composes (messages): UTF-8.
    static QString fromUtf8(std::string_view text);

    // File paths go to the engine in the file system's own encoding; a path
    // Qt could only show with replacement characters (a name that is no valid
    // UTF-8) is taken back to the bytes of the entries it names.
    static std::string fromPath(const QString& path);
    static QString toPath(const std::string& path);
};
