#pragma once

#include "core/check/ClaimVisitor.h"

#include <memory>
#include <vector>

namespace qm {

// One worker's visitors as one: every call goes to the first, then to each
// of the others in turn (the whole-file check's own, then its listeners').
class VisitorFan : public ClaimVisitor {
public:
    explicit VisitorFan(std::unique_ptr<ClaimVisitor> first);
    void add(std::unique_ptr<ClaimVisitor> visitor);

    void beginChunk(std::size_t chunk) override;
    void endChunk() override;
    void record(std::size_t node, int typeIndex, int occurrence, std::string_view line) override;
    void endClaim(const PassClaim& claim) override;
    void line(std::string_view line, std::int64_t lineStart) override;

private:
    std::vector<std::unique_ptr<ClaimVisitor>> visitors_;
};

} // namespace qm
