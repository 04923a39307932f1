#include "core/report/ClaimListJson.h"

#include <string>

namespace qm {

ClaimListJson::ClaimListJson(std::ostream& out, std::string_view listName)
    : out_(out)
    , json_(out) {
    std::string text("{\n");
    JsonWriter::appendString(text, listName);
    json_.raw(text.append(": ["));
}

JsonWriter& ClaimListJson::nextClaim() {
    json_.raw(started_ ? ",\n" : "\n");
    started_ = true;
    return json_;
}

void ClaimListJson::startMember(std::string_view name) {
    std::string text(claimsOpen_ ? "\n],\n" : ",\n");
    claimsOpen_ = false;
    JsonWriter::appendString(text, name);
    json_.raw(text.append(": "));
}

std::ostream& ClaimListJson::member(std::string_view name) {
    startMember(name);
    // The caller writes to the stream itself.
    json_.flush();
    return out_;
}

JsonWriter& ClaimListJson::summary() {
    startMember("summary");
    return json_;
}

void ClaimListJson::end() {
    json_.raw("\n}\n").flush();
}

} // namespace qm
