#pragma once

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
//   JsonWriter json(std::cout);
//   json.beginObject().key("claims").value(std::int64_t(3)).endObject();
class JsonWriter {
public:
    // pretty: one member or element a line, indented by two spaces a level.
    explicit JsonWriter(std::ostream& out, bool pretty = false);

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

    // A quoted, escaped JSON string.
    static void writeString(std::ostream& out, std::string_view utf8);

private:
    void beforeValue();
    void open(char bracket);
    void close(char bracket);
    void newline();

    std::ostream& out_;
    bool pretty_;
    struct Level {
        bool empty = true;
    };
    std::vector<Level> levels_;
    bool afterKey_ = false;
    std::string utf8_; // fileString's decoded text
};

} // namespace qm
