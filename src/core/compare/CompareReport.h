#pragma once

#include "core/compare/FileComparison.h"

#include <memory>
#include <ostream>
#include <string>

namespace qm {

class ClaimListJson;

// A comparison written out difference by difference as they arrive, as text
// or as one JSON document: {"differences": [...], "a": {...}, "b": {...},
// "match": ..., "summary": {...}}.
class CompareReport {
public:
    struct Side {
        std::string path;    // UTF-8
        std::string version; // the version code of its file header (file bytes)
    };

    CompareReport(std::ostream& out, bool json, Side a, Side b, FileComparison::Match match);
    ~CompareReport();

    void add(const Difference& difference);
    void finish(const FileComparison::Summary& summary);

    // A stored value for a line of text: quoted, control characters escaped,
    // the blanks at its end left off unless the other value is the same
    // without them.
    static std::string shownValue(std::string_view value, std::string_view other);

private:
    void addText(const Difference& difference);
    void addJson(const Difference& difference);

    std::ostream& out_;
    std::unique_ptr<ClaimListJson> json_;
    Side a_, b_;
    FileComparison::Match match_;
};

} // namespace qm
