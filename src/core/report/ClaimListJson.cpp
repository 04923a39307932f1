#include "core/report/ClaimListJson.h"

namespace qm {

ClaimListJson::ClaimListJson(std::ostream& out)
    : out_(out)
    , json_(out) {
    out_ << "{\n\"claims\": [";
}

JsonWriter& ClaimListJson::nextClaim() {
    out_ << (started_ ? ",\n" : "\n");
    started_ = true;
    return json_;
}

JsonWriter& ClaimListJson::summary() {
    out_ << "\n],\n\"summary\": ";
    return json_;
}

void ClaimListJson::end() {
    out_ << "\n}\n";
}

} // namespace qm
