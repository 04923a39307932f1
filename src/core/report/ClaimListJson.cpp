#include "core/report/ClaimListJson.h"

namespace qm {

ClaimListJson::ClaimListJson(std::ostream& out, std::string_view listName)
    : out_(out)
    , json_(out) {
    out_ << "{\n";
    JsonWriter::writeString(out_, listName);
    out_ << ": [";
}

JsonWriter& ClaimListJson::nextClaim() {
    out_ << (started_ ? ",\n" : "\n");
    started_ = true;
    return json_;
}

std::ostream& ClaimListJson::member(std::string_view name) {
    out_ << (claimsOpen_ ? "\n]" : "") << ",\n";
    claimsOpen_ = false;
    JsonWriter::writeString(out_, name);
    return out_ << ": ";
}

JsonWriter& ClaimListJson::summary() {
    member("summary");
    return json_;
}

void ClaimListJson::end() {
    out_ << "\n}\n";
}

} // namespace qm
