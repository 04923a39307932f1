#include "core/claim/ClaimAssembler.h"

#include "core/claim/TotalsCheck.h"
#include "core/common/TextUtil.h"
#include "core/filetree/TrailerIndex.h"
#include "core/io/SequentialFile.h"
#include "core/layouts/FieldValidator.h"
#include "core/layouts/Module1.h"

#include <climits>

namespace qm {

namespace {

constexpr std::size_t kRecordLength = 320;

// The claim records the claim loop processes, with the parent of their node.
const char* claimLoopParent(std::string_view type) {
    if (type == "CA0" || type == "CA1" || type == "CB0")
        return "BA0";
    static const char* const kUnderClaim[] = {
        "DA0", "DA1", "DA2", "EA0", "EA1", "EA2", "FA0", "FB0", "FB1", "FB2", "FB3", "FD0",
        "FE0", "GA0", "GC0", "GD0", "GD1", "GP0", "GU0", "GX0", "GX1", "GX2", "HA0", "XA0"};
    for (const char* t : kUnderClaim)
        if (type == t)
            return "CA0";
    return nullptr;
}

bool isPlainKeyType(std::string_view type) {
    return type == "AA0" || type == "BA0" || type == "BA1" || type == "CA0";
}

} // namespace

ClaimAssembler::ClaimAssembler(Module1& m, SequentialFile& file, const TrailerIndex* trailers)
    : m_(m)
    , file_(file)
    , trailers_(trailers) {
}

bool ClaimAssembler::ReadRecordAt(std::int64_t position, std::string_view recordType) {
    file_.seek(position);
    std::string_view line;
    if (!file_.readLineView(line))
        return false;
    SplitRecord(line, recordType);
    return true;
}

void ClaimAssembler::SplitRecord(std::string_view line, std::string_view recordType) {
    RecordLayout* layout = m_.RecordLayouts.find(recordType);
    if (!layout)
        return;
    RecordInfo& info = layout->Info;
    if (info.Repeats) {
        if (info.Occurrence < INT32_MAX)
            ++info.Occurrence;
    } else {
        info.Occurrence = 1;
    }
    const std::int32_t occ = info.Occurrence;
    if (occ < 1 || occ > kMaxSlot)
        return; // no slot for it: nothing stored, nothing summed
    const std::size_t slot = static_cast<std::size_t>(occ);
    for (int i = 1; i <= info.FieldCount && i <= kMaxSlot; ++i) {
        FieldDef& field = layout->Fields[static_cast<std::size_t>(i)];
        // A field that cannot be cut (a start before column 1, a negative
        // length) keeps what it held; the rest of the record is still read.
        if (field.StartPos >= 1 && field.Length >= 0)
            field.Values[slot].assign(columns(line, field.StartPos, field.Length));
        field.Valid[slot] = IsValidFieldValue(field.TypeCodes, field.Values[slot]);
        SumClaimField(m_.Totals, recordType, field.FieldId, field.TypeCodes, field.Values[slot]);
    }
    info.Lines[slot].assign(line);
    if (recordType == "XA0" && slot == 1)
        m_.XA0ReadThisClick = true;
}

std::string ClaimAssembler::nodeKey(std::string_view recordType) const {
    const RecordLayout* layout = m_.RecordLayouts.find(recordType);
    if (!layout || !layout->Info.Repeats || isPlainKeyType(recordType))
        return std::string(recordType);
    const std::int32_t occ = layout->Info.Occurrence;
    if (occ < 1 || occ > kMaxSlot)
        return {};
    return std::string(recordType) + "-" + std::to_string(occ);
}

void ClaimAssembler::addNode(const std::string& key, const std::string& parent) {
    if (key.empty() || !keys_.insert(key).second)
        return;
    nodes_.push_back({key, keys_.count(parent) && parent != key ? parent : std::string()});
}

void ClaimAssembler::process(std::string_view line, std::string_view recordType,
                             const char* parent) {
    SplitRecord(line, recordType);
    addNode(nodeKey(recordType), parent);
}

void ClaimAssembler::AssembleClaim(std::int64_t position) {
    file_.seek(position);
    bool claimStarted = false;
    std::string_view line;
    for (;;) {
        do {
            if (!file_.readLineView(line))
                return; // the file ended inside the claim: no trailers
        } while (line.size() < kRecordLength);
        if (line[0] == '\n')
            line.remove_prefix(1);
        const std::string_view type = line.substr(0, 3);
        CountClaimLine(m_.Totals, type);
        if (type == "CA0") {
            if (claimStarted)
                break; // the next claim begins
            process(line, type, "BA0");
            claimStarted = true;
        } else if (const char* parent = claimLoopParent(type)) {
            process(line, type, parent);
        }
        if (type == "BA0" || type == "XA0" || type == "YA0" || type == "ZA0")
            break;
    }
    trailerScan();
}

bool ClaimAssembler::indexUsable() const {
    return trailers_ && trailers_->complete && !trailers_->fileIdentity.empty() &&
           trailers_->fileIdentity == file_.identity();
}

void ClaimAssembler::trailerScan() {
    std::string_view line;
    auto readTrailer = [&](std::int64_t at) {
        file_.seek(at);
        if (!file_.readLineView(line) || line.size() < kRecordLength)
            return false;
        if (line[0] == '\n')
            line.remove_prefix(1);
        return true;
    };

    if (indexUsable()) {
        // The same records the scan below would find, without reading the
        // rest of the file line by line.
        const std::int64_t from = file_.position();
        const auto ya0 = trailers_->firstAtOrAfter('Y', from);
        const auto za0 = trailers_->firstAtOrAfter('Z', from);
        if (ya0 && (!za0 || *ya0 < *za0) && readTrailer(*ya0))
            process(line, "YA0", "BA0");
        if (za0 && readTrailer(*za0))
            process(line, "ZA0", "AA0");
        return;
    }

    bool batchTrailerTaken = false;
    for (;;) {
        if (!file_.readLineView(line))
            return;
        if (line.size() < kRecordLength)
            continue;
        if (line[0] == '\n')
            line.remove_prefix(1);
        const std::string_view type = line.substr(0, 3);
        if (type == "YA0" && !batchTrailerTaken) {
            process(line, type, "BA0");
            batchTrailerTaken = true;
        } else if (type == "ZA0") {
            process(line, type, "AA0");
            return;
        }
    }
}

} // namespace qm
