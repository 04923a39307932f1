#include "core/report/JsonWriter.h"

#include "core/common/ByteWords.h"
#include "core/common/FileText.h"

#include <charconv>
#include <cstring>
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
    text_ += ':';
    if (pretty_)
        text_ += ' ';
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

namespace {

// Whether a word of eight bytes holds one a JSON string must escape.
bool needsEscape(std::uint64_t word) {
    return ByteWords::anyBelow(word, 0x20) || ByteWords::anyEqual(word, '"') ||
           ByteWords::anyEqual(word, '\\');
}

// Where the first word of eight bytes that holds a byte to escape begins, or
// the text's size when none does: the few bytes after the last whole word
// are tested as a word too, padded with plain ones. Most texts and every key
// need no escape, and each goes out whole.
std::size_t plainPrefix(std::string_view text) {
    std::size_t i = 0;
    for (; i + 8 <= text.size(); i += 8)
        if (needsEscape(ByteWords::at(text.data() + i)))
            return i;
    if (i < text.size()) {
        std::uint64_t word = ByteWords::kOnes * 'a';
        std::memcpy(&word, text.data() + i, text.size() - i);
        if (needsEscape(word))
            return i;
    }
    return text.size();
}

} // namespace

void JsonWriter::appendString(std::string& out, std::string_view utf8) {
    static const char kHex[] = "0123456789abcdef";
    std::size_t plain = plainPrefix(utf8); // bytes before it need no escape
    char quoted[64];
    if (plain == utf8.size() && plain + 2 <= sizeof quoted) {
        // A key or a short value: put together here and appended at once.
        quoted[0] = '"';
        std::memcpy(quoted + 1, utf8.data(), plain);
        quoted[plain + 1] = '"';
        out.append(quoted, plain + 2);
        return;
    }
    out += '"';
    out.append(utf8.data(), plain);
    for (std::size_t i = plain; i < utf8.size(); ++i) {
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
