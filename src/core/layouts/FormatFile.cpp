#include "core/layouts/FormatFile.h"

#include "core/common/FileText.h"
#include "core/common/TextUtil.h"
#include "core/io/RegularFile.h"
#include "core/layouts/LayoutCatalogue.h"

#include <map>
#include <utility>
#include <vector>

namespace qm {

namespace {

constexpr std::size_t kMaxLineLength = 1000;
const std::string kAsStored = "; values are shown as stored";

// The whole file, or false with the reason in error (empty when there is no
// such file).
bool readWhole(const std::string& path, std::string& text, std::string& error) {
    switch (readWholeRegularFile(path, FormatFile::kMaxBytes, text, error)) {
    case WholeFile::Read:
        return true;
    case WholeFile::Missing:
        error.clear();
        break;
    case WholeFile::TooLong:
        error = "it is longer than " + std::to_string(FormatFile::kMaxBytes / 1024) + " KiB";
        break;
    case WholeFile::Failed:
        break;
    }
    return false;
}

// The next word of a line from at, moving at past it; empty at the end.
std::string_view nextWord(std::string_view line, std::size_t& at) {
    while (at < line.size() && (line[at] == ' ' || line[at] == '\t'))
        ++at;
    const std::size_t start = at;
    while (at < line.size() && line[at] != ' ' && line[at] != '\t')
        ++at;
    return line.substr(start, at - start);
}

// The formats of a file that agrees with its map, made ready before any field
// takes one, so that a damaged file changes nothing.
class Reader {
public:
    Reader(const LayoutCatalogue& catalogue, std::string mapFileName)
        : catalogue_(catalogue)
        , mapFileName_(std::move(mapFileName)) {}

    // False, with the reason in error, when the line does not agree.
    bool line(std::string_view text, int number, std::string& error);

    void applyTo(LayoutCatalogue& catalogue) {
        for (auto& [where, entry] : formats_)
            catalogue.at(where.first).setFormat(where.second, std::move(entry.format));
    }

private:
    static bool plainText(std::string_view text, std::string& error);
    // Keeps a field's format (or a code's meaning), unless it has one already.
    bool store(int typeIndex, int field, FieldFormat::Kind kind, std::string_view code,
               std::string_view meaning, const std::string& name, int number, std::string& error);

    struct Entry {
        FieldFormat format;
        int line;
    };
    const LayoutCatalogue& catalogue_;
    std::string mapFileName_;
    std::map<std::pair<int, int>, Entry> formats_; // by record type and field index
};

bool Reader::plainText(std::string_view text, std::string& error) {
    if (text.size() > kMaxLineLength) {
        error = "the line is longer than " + std::to_string(kMaxLineLength) + " characters";
        return false;
    }
    // Meanings go to terminals and JSON as they are: UTF-8 text, no control characters.
    for (std::size_t i = 0; i < text.size();) {
        char32_t c = 0;
        const std::size_t n = FileText::utf8At(text, i, c);
        if (n == 0 || (c < 0x20 && c != '\t') || c == 0x7F) {
            error = "the line holds a control character or bytes that are no UTF-8";
            return false;
        }
        i += n;
    }
    return true;
}

bool Reader::store(int typeIndex, int field, FieldFormat::Kind kind, std::string_view code,
                   std::string_view meaning, const std::string& name, int number,
                   std::string& error) {
    auto [place, added] =
        formats_.try_emplace({typeIndex, field}, Entry{FieldFormat(kind), number});
    Entry& entry = place->second;
    if (!added && (entry.format.kind() != kind || kind != FieldFormat::Kind::Code)) {
        error = name + " has a format already, on line " + std::to_string(entry.line);
        return false;
    }
    if (kind == FieldFormat::Kind::Code) {
        for (const FieldFormat::Meaning& m : entry.format.meanings()) {
            if (m.code == code) {
                error = "the code '" + FileText::toPrintable(code) + "' of " + name +
                        " has a meaning already";
                return false;
            }
        }
        entry.format.addMeaning(std::string(code), std::string(meaning));
    }
    return true;
}

bool Reader::line(std::string_view text, int number, std::string& error) {
    std::size_t at = 0;
    const std::string_view type = nextWord(text, at);
    if (type.empty() || type.front() == '#')
        return true;
    const std::string_view id = nextWord(text, at);
    const std::string_view word = nextWord(text, at);
    const std::string printableType = FileText::toPrintable(type);
    if (!plainText(text, error))
        return false;
    if (word.empty()) {
        error = "a record type, a field number and a format are wanted";
        return false;
    }
    const int typeIndex = recordTypeIndex(type);
    if (typeIndex < 0) {
        error = "'" + printableType + "' is none of the 32 record types";
        return false;
    }
    const RecordLayout& layout = catalogue_.at(typeIndex);
    const int field = layout.indexOf(id);
    const std::string name = printableType + ' ' + FileText::toPrintable(id);
    if (field < 0) {
        error = mapFileName_ + " has no field " + name;
        return false;
    }
    const std::optional<FieldFormat::Kind> kind = FieldFormat::kindOf(word);
    if (!kind) {
        error = "'" + FileText::toPrintable(word) +
                "' is no format (plain, money, tenths, date or code)";
        return false;
    }
    const FieldDef& def = layout.field(field);
    const FieldChecks checks = fieldChecksOf(def.TypeCodes);
    std::string_view code, meaning;
    if (*kind == FieldFormat::Kind::Code) {
        code = nextWord(text, at);
        meaning = trimSpaces(text.substr(at));
        if (meaning.empty()) {
            error = "a code and its meaning are wanted after 'code'";
            return false;
        }
        if (code.size() > std::size_t(std::max<int>(def.Length, 0))) {
            error = "the code '" + FileText::toPrintable(code) + "' is wider than " + name + " (" +
                    std::to_string(def.Length) + " characters)";
            return false;
        }
    } else if (!nextWord(text, at).empty()) {
        error = "nothing is wanted after the format '" + std::string(word) + "'";
        return false;
    }
    if ((*kind == FieldFormat::Kind::Money || *kind == FieldFormat::Kind::Tenths) &&
        !checks.numeric) {
        error = std::string(word) + " is for number (N) fields; " + name + " is not one";
        return false;
    }
    if (*kind == FieldFormat::Kind::Date && def.Length != 8) {
        error =
            "a date is 8 characters wide (CCYYMMDD); " + name + " is " + std::to_string(def.Length);
        return false;
    }
    return store(typeIndex, field, *kind, code, meaning, name, number, error);
}

} // namespace

bool FormatFile::load(const std::string& folder, const std::string& formatFileName,
                      const std::string& mapFileName, LayoutCatalogue& catalogue) {
    const std::string path = folder + "/" + formatFileName;
    std::string text, error;
    if (!readWhole(path, text, error)) {
        // A format file is optional: only one that is there and cannot be read warns.
        if (!error.empty())
            catalogue.addWarning(formatFileName + ": cannot be read: " + error + kAsStored);
        return false;
    }
    Reader reader(catalogue, mapFileName);
    std::size_t start = 0;
    for (int number = 1; start < text.size(); ++number) {
        // Lines end in CR LF, LF or CR alone, as an editor may have saved them.
        std::size_t end = text.find_first_of("\r\n", start);
        if (end == std::string::npos)
            end = text.size();
        const std::string_view line(text.data() + start, end - start);
        if (!reader.line(line, number, error)) {
            catalogue.addWarning(formatFileName + " line " + std::to_string(number) + ": " + error +
                                 kAsStored);
            return false;
        }
        start = end + (text.compare(end, 2, "\r\n") == 0 ? 2 : 1);
    }
    reader.applyTo(catalogue);
    return true;
}

} // namespace qm
