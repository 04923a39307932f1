#include "core/check/VisitorFan.h"

namespace qm {

VisitorFan::VisitorFan(std::unique_ptr<ClaimVisitor> first) {
    visitors_.push_back(std::move(first));
}

void VisitorFan::add(std::unique_ptr<ClaimVisitor> visitor) {
    if (visitor)
        visitors_.push_back(std::move(visitor));
}

void VisitorFan::beginChunk(std::size_t chunk) {
    for (const auto& visitor : visitors_)
        visitor->beginChunk(chunk);
}

void VisitorFan::endChunk() {
    for (const auto& visitor : visitors_)
        visitor->endChunk();
}

void VisitorFan::record(std::size_t node, int typeIndex, int occurrence, std::string_view line) {
    for (const auto& visitor : visitors_)
        visitor->record(node, typeIndex, occurrence, line);
}

void VisitorFan::endClaim(const PassClaim& claim) {
    for (const auto& visitor : visitors_)
        visitor->endClaim(claim);
}

void VisitorFan::line(std::string_view line, std::int64_t lineStart) {
    for (const auto& visitor : visitors_)
        visitor->line(line, lineStart);
}

} // namespace qm
