#pragma once

#include <QString>
#include <string>
#include <string_view>

// Conversions between the core's byte strings and Qt text.
class CoreText {
public:
    // Core texts are UTF-8 where they come from us and single-byte where they
    // come from a claim or map file: bytes that are not valid UTF-8 are taken
    // as Latin-1, so no character of a file is ever lost to a replacement mark.
    static QString toQString(std::string_view text);

    // File paths go to the core in the file system's own encoding.
    static std::string fromPath(const QString& path);
    static QString toPath(const std::string& path);
};
