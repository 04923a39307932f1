#pragma once

#include "core/report/JsonShape.h"

#include <cstdint>
#include <cstring>
#include <memory>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace qm {

// Writes JSON as it goes, so that a report of a million claims or a claim of
// huge records is never held in memory whole. Strings are UTF-8; file bytes
// go through fileString, which decodes them by the file text rule.
//
// What it writes is gathered and goes to the stream in blocks of some tens
// of kilobytes, and on flush() and destruction: a report of millions of
// objects costs a stream call per block, not one per word. While a writer
// lives, text between values goes through raw(), or to the stream itself
// only after flush().
//
//   JsonWriter json(std::cout);
//   json.beginObject().key("claims").value(std::int64_t(3)).endObject();
//
// An object written millions of times takes its keys from a JsonShape: its
// values then follow one another without key() calls, each after its key
// and punctuation prepared once.
class JsonWriter {
public:
    // pretty: one member or element a line, indented by two spaces a level.
    explicit JsonWriter(std::ostream& out, bool pretty = false);
    // Writes what is still gathered.
    ~JsonWriter();
    JsonWriter(const JsonWriter&) = delete;
    JsonWriter& operator=(const JsonWriter&) = delete;

    JsonWriter& beginObject();
    // An object of this shape: each value, array or object written in it
    // until endObject() is the next member's, in the shape's order. The
    // shape must outlive the object.
    JsonWriter& beginObject(const JsonShape& shape);
    JsonWriter& endObject();
    JsonWriter& beginArray();
    JsonWriter& endArray();
    JsonWriter& key(std::string_view name);
    JsonWriter& value(std::string_view utf8);
    JsonWriter& value(const char* utf8) { return value(std::string_view(utf8)); }
    // A string known to need no escape, written as it stands: printable
    // ASCII without quotes or backslashes, as node keys and the report's
    // own words are.
    JsonWriter& plainValue(std::string_view ascii) {
        beforeValue();
        putQuoted(ascii);
        return *this;
    }
    JsonWriter& value(std::int64_t number);
    JsonWriter& value(int number) { return value(std::int64_t(number)); }
    // The values of fixed form here, where the compiler sees their sizes.
    JsonWriter& value(bool flag) {
        beforeValue();
        if (flag)
            put("true", 4);
        else
            put("false", 5);
        return *this;
    }
    JsonWriter& null() {
        beforeValue();
        put("null", 4);
        return *this;
    }
    // File bytes, as UTF-8 by the file text rule.
    JsonWriter& fileString(std::string_view bytes);
    // A value written as JSON already ("[]", a quoted string made once).
    JsonWriter& jsonValue(std::string_view json) {
        beforeValue();
        put(json);
        return *this;
    }
    // Text as it stands, between values (a separator, a line end).
    JsonWriter& raw(std::string_view text);
    // Writes what has gathered to the stream.
    void flush();

    // A quoted, escaped JSON string at the end of out.
    static void appendString(std::string& out, std::string_view utf8);
    // The same for file bytes.
    static void appendFileString(std::string& out, std::string_view bytes);

private:
    struct Level {
        bool empty = true;
        const JsonShape* shape = nullptr; // the object's, if it has one
        std::size_t next = 0;             // the shape's member whose value comes next
        // On one line: what comes before the level's next member, while a
        // level within it is open.
        const std::string_view* nextPiece = nullptr;
    };

    // Room for n bytes after those gathered (which go out first when they
    // would not fit); put() fills it.
    char* room(std::size_t n) {
        if (n > capacity_ - size_)
            makeRoom(n);
        return buffer_.get() + size_;
    }
    void makeRoom(std::size_t n);
    void put(const char* text, std::size_t n) {
        std::memcpy(room(n), text, n);
        size_ += n;
    }
    void put(std::string_view text) { put(text.data(), text.size()); }
    void put(char c) {
        *room(1) = c;
        ++size_;
    }
    // What goes before a value: written here for the members of an object
    // of a shape on one line, the value most written.
    void beforeValue() {
        if (nextPiece_ && !afterKey_) {
            const std::string_view piece = *nextPiece_++;
            if (piece.size() <= JsonShape::kReadable && capacity_ - size_ >= JsonShape::kReadable) {
                // Copied as a block of a fixed size, which takes no call.
                std::memcpy(buffer_.get() + size_, piece.data(), JsonShape::kReadable);
                size_ += piece.size();
            } else {
                put(piece);
            }
            return;
        }
        beforeOtherValue();
    }
    void beforeOtherValue();
    // Text that needs no escape, quoted.
    void putQuoted(std::string_view text) {
        char* at = room(text.size() + 2);
        at[0] = '"';
        if (!text.empty())
            std::memcpy(at + 1, text.data(), text.size());
        at[text.size() + 1] = '"';
        size_ += text.size() + 2;
    }
    // A quoted string of UTF-8 or (fileBytes) of file bytes.
    void putString(std::string_view text, bool fileBytes);

    // Before the next member of an object of a shape, indented.
    void beforeMember();
    void open(char bracket, const JsonShape* shape = nullptr);
    void close(char bracket);
    void newline();

    std::ostream& out_;
    std::unique_ptr<char[]> buffer_; // what has gathered
    std::size_t size_ = 0;
    std::size_t capacity_;
    bool pretty_;
    std::vector<Level> levels_;
    // On one line, in an object of a shape: what comes before its next member.
    const std::string_view* nextPiece_ = nullptr;
    bool afterKey_ = false;
    std::string escaped_; // a string that needs escapes, while it is made
};

} // namespace qm
