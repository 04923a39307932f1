#pragma once

#include "core/check/FileCheck.h"
#include "core/layouts/LayoutCatalogue.h"

#include <memory>
#include <ostream>

namespace qm {

class ClaimListJson;

// The whole-file check written out claim by claim as the verdicts arrive,
// as text or as one JSON document: {"claims": [...], "summary": {...}}.
class CheckReport {
public:
    CheckReport(std::ostream& out, bool json, std::shared_ptr<const LayoutCatalogue> layouts);
    ~CheckReport();

    void add(const ClaimVerdict& verdict);
    void finish(const FileCheck::Summary& summary);

private:
    std::ostream& out_;
    std::unique_ptr<ClaimListJson> json_;
    std::shared_ptr<const LayoutCatalogue> layouts_;
};

} // namespace qm
