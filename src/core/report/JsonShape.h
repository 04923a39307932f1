#pragma once

#include <cstddef>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

namespace qm {

// The keys of one shape of JSON object, quoted and joined with their
// punctuation once: a report writes such an object millions of times, each
// time only its values between these fixed parts. Made once (a static of
// the writer that uses it) and handed to JsonWriter::beginObject.
//
//   static const JsonShape kNode({"index", "key", "parent"});
//   json.beginObject(kNode).value(std::int64_t(1)).value("AA01").null().endObject();
class JsonShape {
public:
    // The keys in the order their values are written (plain UTF-8).
    JsonShape(std::initializer_list<std::string_view> keys);
    JsonShape(const JsonShape&) = delete;
    JsonShape& operator=(const JsonShape&) = delete;

    // Bytes that may be read from the first of any piece: a piece no longer
    // is copied as a block of this size, without a call for it.
    static constexpr std::size_t kReadable = 32;

    std::size_t size() const { return before_.size(); }
    // What comes before member i's value on one line: "\"key\":", with a
    // comma before it for every member but the first.
    std::string_view before(std::size_t i) const { return before_[i]; }
    // All of them, in order.
    const std::string_view* befores() const { return before_.data(); }
    // The key alone, quoted: "\"key\"".
    std::string_view quoted(std::size_t i) const { return quoted_[i]; }

private:
    std::string text_; // every piece; the views below look into it
    std::vector<std::string_view> before_;
    std::vector<std::string_view> quoted_;
};

} // namespace qm
