#include "core/report/JsonWriter.h"

#include "core/common/FileText.h"

#include <string>

namespace qm {

JsonWriter::JsonWriter(std::ostream& out, bool pretty)
    : out_(out)
    , pretty_(pretty) {
}

void JsonWriter::newline() {
    if (!pretty_)
        return;
    out_ << '\n';
    for (std::size_t i = 0; i < levels_.size(); ++i)
        out_ << "  ";
}

void JsonWriter::beforeValue() {
    if (afterKey_) {
        afterKey_ = false;
        return;
    }
    if (levels_.empty())
        return;
    if (!levels_.back().empty)
        out_ << ',';
    levels_.back().empty = false;
    newline();
}

void JsonWriter::open(char bracket) {
    beforeValue();
    out_ << bracket;
    levels_.push_back({});
}

void JsonWriter::close(char bracket) {
    const bool empty = levels_.back().empty;
    levels_.pop_back();
    if (!empty)
        newline();
    out_ << bracket;
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
    writeString(out_, name);
    out_ << (pretty_ ? ": " : ":");
    afterKey_ = true;
    return *this;
}

JsonWriter& JsonWriter::value(std::string_view utf8) {
    beforeValue();
    writeString(out_, utf8);
    return *this;
}

JsonWriter& JsonWriter::value(std::int64_t number) {
    beforeValue();
    out_ << number;
    return *this;
}

JsonWriter& JsonWriter::value(bool flag) {
    beforeValue();
    out_ << (flag ? "true" : "false");
    return *this;
}

JsonWriter& JsonWriter::null() {
    beforeValue();
    out_ << "null";
    return *this;
}

JsonWriter& JsonWriter::fileString(std::string_view bytes) {
    // One buffer for every string: a report writes millions of them.
    utf8_.clear();
    FileText::appendUtf8(utf8_, bytes);
    return value(std::string_view(utf8_));
}

void JsonWriter::writeString(std::ostream& out, std::string_view utf8) {
    static const char kHex[] = "0123456789abcdef";
    out << '"';
    std::size_t plain = 0; // start of the run not yet written
    auto flush = [&](std::size_t upTo) {
        out.write(utf8.data() + plain, std::streamsize(upTo - plain));
    };
    for (std::size_t i = 0; i < utf8.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(utf8[i]);
        if (c >= 0x20 && c != '"' && c != '\\')
            continue;
        flush(i);
        plain = i + 1;
        switch (c) {
        case '"':
            out << "\\\"";
            break;
        case '\\':
            out << "\\\\";
            break;
        case '\n':
            out << "\\n";
            break;
        case '\r':
            out << "\\r";
            break;
        case '\t':
            out << "\\t";
            break;
        default:
            out << "\\u00" << kHex[c >> 4] << kHex[c & 0xF];
        }
    }
    flush(utf8.size());
    out << '"';
}

} // namespace qm
