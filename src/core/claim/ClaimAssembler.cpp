#include "core/claim/ClaimAssembler.h"

#include "core/claim/ClaimFrame.h"
#include "core/claim/ClaimLoop.h"
#include "core/claim/TotalsCheck.h"
#include "core/claim/TrailerScan.h"
#include "core/common/RecordLine.h"
#include "core/filetree/TrailerIndex.h"
#include "core/io/SequentialFile.h"
#include "core/layouts/RecordStore.h"

#include <map>
#include <utility>

namespace qm {

ClaimAssembler::ClaimAssembler(std::shared_ptr<const LayoutCatalogue> layouts, SequentialFile& file,
                               const TrailerIndex* trailers)
    : layouts_(std::move(layouts))
    , file_(file)
    , trailers_(trailers)
    , rules_(layouts_)
    , splitter_(rules_) {
}

bool ClaimAssembler::ReadRecordAt(std::int64_t position, std::string_view recordType) {
    file_.seek(position);
    std::string_view line;
    if (!file_.readLineView(line))
        return false;
    SplitRecord(line, recordType);
    return true;
}

bool ClaimAssembler::readRecordOfType(std::int64_t position, std::string_view recordType) {
    file_.seek(position);
    std::string_view line;
    if (!file_.readLineView(line) || !takeRecordOfType(line, recordType))
        return false;
    SplitRecord(line, recordType);
    return true;
}

RecordSplitter::Split ClaimAssembler::SplitRecord(std::string_view line,
                                                  std::string_view recordType) {
    const RecordSplitter::Split split = splitter_.split(line, recordType);
    if (split.stored()) {
        store_.put(split.typeIndex, split.occurrence, line);
        if (recordType == "XA0" && split.occurrence == 1)
            xa0Read_ = true;
    }
    return split;
}

void ClaimAssembler::addNode(const std::string& key, const std::string& parent) {
    if (key.empty() || !keys_.insert(key).second)
        return;
    nodes_.push_back({key, keys_.count(parent) && parent != key ? parent : std::string(), -1});
}

void ClaimAssembler::process(std::string_view line, std::string_view recordType,
                             std::string_view parent) {
    addNode(splitter_.nodeKey(SplitRecord(line, recordType)), std::string(parent));
}

void ClaimAssembler::AssembleClaim(std::int64_t position) {
    // A file that ends inside the claim has no trailers for it.
    if (readClaim(position))
        trailerScan();
}

bool ClaimAssembler::readClaim(std::int64_t position) {
    file_.seek(position);
    ClaimLoop loop;
    bool first = true;
    std::string_view line;
    for (;;) {
        if (!file_.readLineView(line)) {
            unreadable_ = unreadable_ || first;
            return false;
        }
        const ClaimLoop::Step step = loop.next(line, splitter_.totals);
        if (step == ClaimLoop::Step::NotARecord)
            continue;
        // The tree found a CA0 record here; anything else means the file changed.
        if (first && line.substr(0, 3) != "CA0")
            unreadable_ = true;
        first = false;
        if (step == ClaimLoop::Step::End)
            break;
        const std::string_view type = line.substr(0, 3);
        if (step == ClaimLoop::Step::Process || step == ClaimLoop::Step::ProcessThenEnd)
            process(line, type, ClaimLoop::parentOf(type));
        if (step == ClaimLoop::Step::ProcessThenEnd)
            break;
    }
    return true;
}

bool ClaimAssembler::indexUsable() const {
    return trailers_ && trailers_->describes(file_);
}

void ClaimAssembler::trailerScan() {
    std::string_view line;
    if (indexUsable()) {
        // The same records the scan below would find, without reading the
        // rest of the file line by line.
        for (const ClaimFrame::Record& trailer : ClaimFrame::below(*trailers_, file_.position())) {
            file_.seek(trailer.position);
            if (file_.readLineView(line) && takeRecordOfType(line, trailer.type))
                process(line, trailer.type, trailer.parent);
            else
                unreadable_ = true;
        }
        return;
    }
    TrailerScan scan;
    while (file_.readLineView(line)) {
        const TrailerScan::Step step = scan.next(line);
        if (step == TrailerScan::Step::BatchTrailer) {
            process(line, ClaimFrame::kBatchTrailer.type, ClaimFrame::kBatchTrailer.parent);
        } else if (step == TrailerScan::Step::FileTrailer) {
            process(line, ClaimFrame::kFileTrailer.type, ClaimFrame::kFileTrailer.parent);
            return;
        }
    }
}

AssembledRecord ClaimAssembler::storedRecord(int typeIndex, int occurrence) const {
    AssembledRecord record;
    record.type = std::string(kRecordTypes[static_cast<std::size_t>(typeIndex)]);
    record.occurrence = occurrence;
    const RecordLayout& layout = layouts_->at(typeIndex);
    record.fields.resize(static_cast<std::size_t>(layout.fieldCount()));
    const RecordStore::Slot* slot = store_.get(typeIndex, occurrence);
    if (!slot) {
        record.read = false; // not read by this click: no values, and none passed a check
        return record;
    }
    record.line = slot->line;
    record.lineCut = slot->cut;
    const std::string_view line = record.line;
    for (int i = 0; i < layout.fieldCount(); ++i) {
        const std::string_view value = layout.value(i, line);
        AssembledRecord::Field& field = record.fields[static_cast<std::size_t>(i)];
        field.offset = static_cast<std::uint32_t>(value.empty() ? 0 : value.data() - line.data());
        field.length = static_cast<std::uint32_t>(value.size());
        field.valid = layout.isValid(i, value);
    }
    return record;
}

AssembledClaim ClaimAssembler::result(std::string clickedType, bool checkTotals) const {
    AssembledClaim claim;
    claim.acted = true;
    claim.clickedType = std::move(clickedType);
    claim.layouts = layouts_;
    claim.unreadable = checkTotals && unreadable_;
    std::map<std::pair<int, int>, int> recordOf;
    for (ClaimNode node : nodes_) {
        // A node shows the record of its type and occurrence: "FA0-2" the second FA0.
        std::string_view type;
        int occurrence = 0;
        AssembledClaim::parseKey(node.key, type, occurrence);
        const int typeIndex = recordTypeIndex(type);
        if (typeIndex >= 0 && occurrence >= 1) {
            const auto [it, added] =
                recordOf.emplace(std::make_pair(typeIndex, occurrence), int(claim.records.size()));
            if (added)
                claim.records.push_back(storedRecord(typeIndex, occurrence));
            node.record = it->second;
        }
        claim.nodes.push_back(std::move(node));
    }
    if (!checkTotals)
        return claim;

    const int xa0Index = recordTypeIndex("XA0");
    const RecordStore::Slot* xa0 = xa0Read_ ? store_.get(xa0Index, 1) : nullptr;
    const std::string_view xa0Line = xa0 ? std::string_view(xa0->line) : std::string_view();
    claim.totals = rules_.check(splitter_.totals, xa0 ? &xa0Line : nullptr);
    // A compared XA0 field passes or fails by its total, whatever its own check said.
    const auto it = recordOf.find({xa0Index, 1});
    if (it != recordOf.end()) {
        AssembledRecord& record = claim.records[static_cast<std::size_t>(it->second)];
        for (const TotalsComparison& comparison : claim.totals.compared)
            record.fields[static_cast<std::size_t>(comparison.field)].valid = comparison.match;
    }
    return claim;
}

} // namespace qm
