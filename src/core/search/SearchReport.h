#pragma once

#include "core/layouts/LayoutCatalogue.h"
#include "core/search/FieldSearch.h"

#include <memory>
#include <ostream>

namespace qm {

class ClaimListJson;

// A field search written out claim by claim as the matches arrive, as text
// or as one JSON document: {"claims": [...], "summary": {...}}.
class SearchReport {
public:
    SearchReport(std::ostream& out, bool json, std::shared_ptr<const LayoutCatalogue> layouts);
    ~SearchReport();

    void add(const ClaimHits& claim);
    void finish(const FieldSearch::Summary& summary);

private:
    std::ostream& out_;
    std::unique_ptr<ClaimListJson> json_;
    std::shared_ptr<const LayoutCatalogue> layouts_;
};

} // namespace qm
