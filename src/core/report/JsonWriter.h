#pragma once

#include "core/report/BlockOutput.h"

#include <cstdint>
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
class JsonWriter {
public:
    // pretty: one member or element a line, indented by two spaces a level.
    explicit JsonWriter(std::ostream& out, bool pretty = false);
    // Writes what is still gathered.
    ~JsonWriter();
    JsonWriter(const JsonWriter&) = delete;
    JsonWriter& operator=(const JsonWriter&) = delete;

    JsonWriter& beginObject();
    JsonWriter& endObject();
    JsonWriter& beginArray();
    JsonWriter& endArray();
    JsonWriter& key(std::string_view name);
    JsonWriter& value(std::string_view utf8);
    JsonWriter& value(const char* utf8) { return value(std::string_view(utf8)); }
    JsonWriter& value(std::int64_t number);
    JsonWriter& value(int number) { return value(std::int64_t(number)); }
    JsonWriter& value(bool flag);
    JsonWriter& null();
    JsonWriter& fileString(std::string_view bytes);
    // Text as it stands, between values (a separator, a line end).
    JsonWriter& raw(std::string_view text);
    // Writes what has gathered to the stream.
    void flush();

    // A quoted, escaped JSON string at the end of out.
    static void appendString(std::string& out, std::string_view utf8);

private:
    void beforeValue();
    void open(char bracket);
    void close(char bracket);
    void newline();

    BlockOutput out_;
    std::string& text_; // out_'s, gathered
    bool pretty_;
    struct Level {
        bool empty = true;
    };
    std::vector<Level> levels_;
    bool afterKey_ = false;
    std::string utf8_; // fileString's decoded text
};

} // namespace qm
