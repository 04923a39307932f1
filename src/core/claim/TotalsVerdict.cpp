#include "core/claim/TotalsVerdict.h"

namespace qm {

const char* totalsStateName(TotalsState state) {
    switch (state) {
    case TotalsState::Ok:
        return "ok";
    case TotalsState::DoNotCompute:
        return "do_not_compute";
    case TotalsState::NoTrailer:
        return "no_trailer";
    case TotalsState::CouldNotCheck:
        return "could_not_check";
    case TotalsState::NotAClaim:
        break;
    }
    return "not_a_claim";
}

std::vector<std::string> TotalsVerdict::mismatched() const {
    std::vector<std::string> ids;
    for (const TotalsComparison& c : compared)
        if (!c.match)
            ids.push_back(c.fieldId);
    return ids;
}

} // namespace qm
