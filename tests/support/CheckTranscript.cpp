#include "CheckTranscript.h"

#include "core/check/ClaimRows.h"
#include "core/check/ProblemWords.h"
#include "core/claim/NodeClick.h"
#include "core/common/RecordingMessageSink.h"
#include "core/filetree/FileTree.h"
#include "core/filetree/HeaderIndex.h"
#include "core/io/SequentialFile.h"
#include "core/layouts/RecordStore.h"

#include <algorithm>

using namespace qm;

std::string CheckTranscript::row(const ProblemRow& r, const LayoutCatalogue* layouts) {
    const Problem& p = r.problem;
    std::string out = std::string(ProblemWords::kindKey(p.kind)) + " " +
                      std::string(ProblemWords::scopeKey(p.scope)) + " b" +
                      std::to_string(p.batch) + " c" + std::to_string(p.claim) + " " +
                      ProblemWords::recordKey(p, layouts) + " f" + std::to_string(p.field) + " @" +
                      std::to_string(p.position);
    if (p.scope != Problem::Scope::Claim)
        out += " l" + std::to_string(p.line);
    out += " found " + std::to_string(p.found) + "/" + std::to_string(p.flags) + " expected " +
           std::to_string(p.expected) + " [" + std::string(r.value) + "] " +
           ProblemWords::line(r, layouts);
    return out;
}

std::string CheckTranscript::claim(const std::string& key, std::string_view text,
                                   TotalsState totals, bool xa0, bool unreadable,
                                   const std::vector<ProblemRow>& rows,
                                   const LayoutCatalogue* layouts) {
    std::string out = key + " [" + std::string(text) + "] " + totalsStateName(totals) +
                      (xa0 ? " xa0" : "") + (unreadable ? " unreadable" : "");
    for (const ProblemRow& r : rows)
        out += "\n  " + row(r, layouts);
    return out;
}

void CheckTranscript::batch(const FileCheck::Batch& batch) {
    lines.push_back("batch " + std::to_string(batch.index) + " BA0" +
                    std::to_string(batch.position) + " l" + std::to_string(batch.line) + " [" +
                    std::string(batch.text) + "]");
}

void CheckTranscript::claim(const FileCheck::Claim& c) {
    rows_.assign(c.rows.begin(), c.rows.end());
    const std::string line = "claim " + std::to_string(c.index) + " b" + std::to_string(c.batch) +
                             " l" + std::to_string(c.line) + " " +
                             claim("CA0" + std::to_string(c.position), c.text, c.totals,
                                   c.xa0Present, c.unreadable, rows_, layouts_.get());
    claims.push_back(line.substr(line.find("CA0")));
    lines.push_back(line);
    for (const ProblemRow& r : c.rows)
        kinds.push_back(std::string(ProblemWords::kindKey(r.problem.kind)) + "@" +
                        std::to_string(r.problem.line));
}

void CheckTranscript::trailer(const FileCheck::Trailer& t) {
    std::string line = "trailer " + std::string(ProblemWords::scopeKey(t.scope)) + " b" +
                       std::to_string(t.batch) + " @" + std::to_string(t.trailerPosition) + " l" +
                       std::to_string(t.trailerLine) + " state " + std::to_string(int(t.state)) +
                       " readings " + std::to_string(t.readings);
    for (const ProblemRow& r : t.rows) {
        line += "\n  " + row(r, layouts_.get());
        kinds.push_back(std::string(ProblemWords::kindKey(r.problem.kind)) + "@" +
                        std::to_string(r.problem.line));
    }
    lines.push_back(line);
}

void CheckTranscript::problem(const ProblemRow& r) {
    lines.push_back("problem " + row(r, layouts_.get()));
    kinds.push_back(std::string(ProblemWords::kindKey(r.problem.kind)) + "@" +
                    std::to_string(r.problem.line));
}

std::vector<std::string> CheckTranscript::byClicks(SequentialFile& file,
                                                   std::shared_ptr<const LayoutCatalogue> layouts,
                                                   const FileTree& tree) {
    const ClaimRules rules(layouts);
    const ClaimRows claimRows(rules);
    std::vector<std::string> out;
    std::vector<ProblemRow> rows;
    std::int64_t index = 0;
    for (std::int64_t node = 0; node < tree.size(); ++node) {
        if (tree.recordType(node) != "CA0")
            continue;
        const AssembledClaim clicked = NodeClick(file, layouts, tree, node);
        Problem where;
        where.scope = Problem::Scope::Claim;
        where.claim = index++;
        const std::int64_t parent = tree.parent(node);
        const auto& batches = tree.batchNodes();
        where.batch =
            parent < 0 ? -1
                       : std::lower_bound(batches.begin(), batches.end(), parent) - batches.begin();
        where.position = tree.position(node);
        rows.clear();
        claimRows.ofClick(clicked, where, rows);
        out.push_back(claim(tree.key(node), tree.text(node), clicked.totals.state,
                            clicked.totals.xa0Present, clicked.unreadable, rows, layouts.get()));
    }
    return out;
}

FileCheck::Summary CheckTranscript::run(const SequentialFile& file,
                                        std::shared_ptr<const LayoutCatalogue> layouts,
                                        CheckTranscript& out, int jobs, std::int64_t chunkBytes,
                                        std::shared_ptr<const HeaderIndex> index) {
    FileCheck::Options options;
    options.jobs = jobs;
    options.chunkBytes = chunkBytes;
    options.index = std::move(index);
    return FileCheck::run(file, std::move(layouts), options, out);
}

CheckTranscript::Opened CheckTranscript::open(const std::string& path, const std::string& mapsDir) {
    RecordingMessageSink sink;
    ClaimFileOpener::Opened opened =
        ClaimFileOpener::open(path, {mapsDir}, std::make_shared<LayoutCatalogue>(), sink);
    Opened result{opened.result, opened.file, opened.layouts, nullptr};
    if (result.openFile)
        result.file = &result.openFile->reader();
    return result;
}
