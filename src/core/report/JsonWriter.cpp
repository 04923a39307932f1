#include "core/report/JsonWriter.h"

#include "core/common/ByteWords.h"
#include "core/common/FileText.h"

#include <charconv>
#include <string>

namespace qm {

JsonWriter::JsonWriter(std::ostream& out, bool pretty)
    : out_(out)
    , text_(out_.text())
    , pretty_(pretty) {
}

JsonWriter::~JsonWriter() = default;

void JsonWriter::flush() {
    out_.flush();
}

void JsonWriter::newline() {
    if (!pretty_)
        return;
    text_ += '\n';
    text_.append(2 * levels_.size(), ' ');
}

void JsonWriter::beforeValue() {
    if (afterKey_) {
        afterKey_ = false;
        return;
    }
    if (levels_.empty())
        return;
    if (!levels_.back().empty)
        text_ += ',';
    levels_.back().empty = false;
    newline();
}

void JsonWriter::open(char bracket) {
    beforeValue();
    text_ += bracket;
    levels_.push_back({});
    out_.done();
}

void JsonWriter::close(char bracket) {
    const bool empty = levels_.back().empty;
    levels_.pop_back();
    if (!empty)
        newline();
    text_ += bracket;
    out_.done();
}

JsonWriter& JsonWriter::beginObject() {
    open('{');
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
    appendString(text_, name);
    text_ += pretty_ ? ": " : ":";
    afterKey_ = true;
    out_.done();
    return *this;
}

JsonWriter& JsonWriter::value(std::string_view utf8) {
    beforeValue();
    appendString(text_, utf8);
    out_.done();
    return *this;
}

JsonWriter& JsonWriter::value(std::int64_t number) {
    beforeValue();
    char digits[24];
    const auto end = std::to_chars(digits, digits + sizeof digits, number).ptr;
    text_.append(digits, end);
    out_.done();
    return *this;
}

JsonWriter& JsonWriter::value(bool flag) {
    beforeValue();
    text_ += flag ? "true" : "false";
    out_.done();
    return *this;
}

JsonWriter& JsonWriter::null() {
    beforeValue();
    text_ += "null";
    out_.done();
    return *this;
}

JsonWriter& JsonWriter::fileString(std::string_view bytes) {
    // One buffer for every string: a report writes millions of them.
    utf8_.clear();
    FileText::appendUtf8(utf8_, bytes);
    return value(std::string_view(utf8_));
}

JsonWriter& JsonWriter::raw(std::string_view text) {
    text_.append(text);
    out_.done();
    return *this;
}

void JsonWriter::appendString(std::string& out, std::string_view utf8) {
    static const char kHex[] = "0123456789abcdef";
    out += '"';
    std::size_t plain = 0; // start of the run not yet written
    for (std::size_t i = 0; i < utf8.size(); ++i) {
        // Most strings need no escape: passed over eight bytes at a time.
        while (i + 8 <= utf8.size()) {
            const std::uint64_t word = ByteWords::at(utf8.data() + i);
            if (ByteWords::anyBelow(word, 0x20) || ByteWords::anyEqual(word, '"') ||
                ByteWords::anyEqual(word, '\\'))
                break;
            i += 8;
        }
        if (i == utf8.size())
            break;
        const unsigned char c = static_cast<unsigned char>(utf8[i]);
        if (c >= 0x20 && c != '"' && c != '\\')
            continue;
        out.append(utf8.data() + plain, i - plain);
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
            out += "\\u00";
            out += kHex[c >> 4];
            out += kHex[c & 0xF];
        }
    }
    out.append(utf8.data() + plain, utf8.size() - plain);
    out += '"';
}

} // namespace qm
