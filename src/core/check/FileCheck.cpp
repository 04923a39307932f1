#include "core/check/FileCheck.h"

#include "core/check/ClaimPass.h"
#include "core/check/SharedResults.h"
#include "core/claim/RecordSplitter.h"
#include "core/common/TextUtil.h"

#include <algorithm>
#include <utility>

namespace qm {

namespace {

// Values of a record that fail their checks, under its claim form node key.
void collectInvalid(const RecordLayout& layout, std::string_view line, std::string_view key,
                    std::vector<InvalidField>& out) {
    for (const RecordLayout::CheckedField& field : layout.checkedFields()) {
        const std::string_view value = field.value(line);
        if (!checkFieldValue(field.checks, value))
            out.push_back({std::string(key), field.index, std::string(value)});
    }
}

// One worker's part of the check: the verdict on every claim it reads, kept
// by chunk until the chunk is handed on.
class CheckVisitor : public ClaimVisitor {
public:
    CheckVisitor(const ClaimRules& rules, std::vector<std::vector<ClaimVerdict>>& verdicts)
        : rules_(rules)
        , verdicts_(verdicts) {}

    void beginChunk(std::size_t chunk) override { chunk_ = chunk; }

    void record(std::size_t node, int typeIndex, int occurrence, std::string_view line) override {
        if (node == records_.size())
            records_.emplace_back();
        Record& record = records_[node];
        record.typeIndex = typeIndex;
        record.occurrence = occurrence;
        record.invalid.clear(); // node keys filled in when the claim ends
        collectInvalid(rules_.layouts().at(typeIndex), line, {}, record.invalid);
    }

    void endClaim(const PassClaim& claim) override {
        ClaimVerdict verdict;
        verdict.position = claim.position;
        verdict.text.assign(claim.text);
        const TotalsVerdict totals = rules_.check(claim.records->totals, claim.xa0, false);
        verdict.totals = totals.state;
        verdict.xa0Present = totals.xa0Present;
        addShared(*claim.above, verdict.invalid);
        const int xa0Type = recordTypeIndex("XA0");
        for (Record& record : records_) {
            // A compared XA0 field passes or fails by its total alone.
            if (record.typeIndex == xa0Type && record.occurrence == 1)
                record.invalid.erase(std::remove_if(record.invalid.begin(), record.invalid.end(),
                                                    [&](const InvalidField& f) {
                                                        return rules_.isCompared(f.field) &&
                                                               !trimSpaces(f.value).empty();
                                                    }),
                                     record.invalid.end());
            if (record.invalid.empty())
                continue;
            const std::string key = claim.records->nodeKey({record.typeIndex, record.occurrence});
            for (InvalidField& field : record.invalid) {
                field.node = key;
                verdict.invalid.push_back(std::move(field));
            }
        }
        records_.clear();
        verdict.mismatches = totals.compared; // the matches were not kept
        verdict.unreadable = claim.cutShort;
        addShared(*claim.below, verdict.invalid);
        verdicts_[chunk_].push_back(std::move(verdict));
    }

private:
    struct Record {
        int typeIndex = -1;
        int occurrence = 0;
        std::vector<InvalidField> invalid;
    };

    // The invalid values of records many claims show.
    void addShared(const std::vector<SharedRecord>& records, std::vector<InvalidField>& out) {
        shared_.append(records, out, [this](const SharedRecord& record, auto& invalid) {
            collectInvalid(rules_.layouts().at(record.typeIndex), record.line, record.key, invalid);
        });
    }

    const ClaimRules& rules_;
    std::vector<std::vector<ClaimVerdict>>& verdicts_;
    std::size_t chunk_ = 0;
    std::vector<Record> records_; // the current claim's, in node order
    SharedResults<InvalidField> shared_;
};

} // namespace

FileCheck::Summary FileCheck::run(const SequentialFile& file,
                                  std::shared_ptr<const LayoutCatalogue> layouts,
                                  const Options& options,
                                  const std::function<void(ClaimVerdict&&)>& onClaim) {
    ClaimPass pass(file, std::move(layouts), options);
    std::vector<std::vector<ClaimVerdict>> verdicts(pass.chunkCount());

    Summary summary;
    const bool done =
        pass.run([&] { return std::make_unique<CheckVisitor>(pass.rules(), verdicts); },
                 [&](std::size_t chunk) {
                     for (ClaimVerdict& verdict : verdicts[chunk]) {
                         ++summary.claims;
                         summary.totalsFailed += verdict.totalsFailed() ? 1 : 0;
                         summary.withInvalid += verdict.invalid.empty() ? 0 : 1;
                         summary.uncertain += verdict.uncertain() ? 1 : 0;
                         onClaim(std::move(verdict));
                     }
                     // Assigning {} would keep the capacity: the memory of
                     // every chunk's verdicts would stay until the end.
                     std::vector<ClaimVerdict>().swap(verdicts[chunk]);
                 });
    summary.cancelled = !done;
    return summary;
}

} // namespace qm
