#include "core/check/StatisticsVisitor.h"

#include "core/claim/ClaimRules.h"
#include "core/common/RecordLine.h"
#include "core/common/TextUtil.h"
#include "core/filetree/NodeText.h"
#include "core/layouts/LayoutCatalogue.h"
#include "core/layouts/RecordTypes.h"

namespace qm {

namespace {

// Amounts far beyond any field's width: a sum of millions of them stays in range.
constexpr std::int64_t kAmountLimit = 1000000000000000LL;

// A date CCYYMMDD as a number, or 0 when it is none.
int dateOf(std::string_view value) {
    if (value.size() != 8)
        return 0;
    int date = 0;
    for (const char c : value) {
        if (c < '0' || c > '9')
            return 0;
        date = date * 10 + (c - '0');
    }
    const int month = date / 100 % 100;
    const int day = date % 100;
    return month >= 1 && month <= 12 && day >= 1 && day <= 31 ? date : 0;
}

} // namespace

StatisticsVisitor::StatisticsVisitor(const ClaimRules& rules, std::unique_ptr<ClaimVisitor> check,
                                     std::vector<ChunkStatistics>& chunks)
    : check_(std::move(check))
    , chunks_(chunks)
    , ba0_(recordTypeIndex("BA0"))
    , ca0_(recordTypeIndex("CA0"))
    , fa0_(recordTypeIndex("FA0"))
    , xa0_(recordTypeIndex("XA0"))
    , ya0_(recordTypeIndex("YA0"))
    , fa0Layout_(rules.layouts().at(fa0_))
    , xa0Layout_(rules.layouts().at(xa0_))
    , serviceDate_(fa0Layout_.indexOf("05.0"))
    , procedure_(fa0Layout_.indexOf("09.0"))
    , lineCharges_(fa0Layout_.indexOf("13.0"))
    , claimCharges_(xa0Layout_.indexOf("12.0")) {
}

std::uint64_t StatisticsVisitor::packCode(std::string_view code) {
    const std::size_t length = code.size() < 7 ? code.size() : 7;
    std::uint64_t packed = length;
    for (std::size_t i = 0; i < length; ++i)
        packed |= std::uint64_t(static_cast<unsigned char>(code[i])) << (8 * (i + 1));
    return packed;
}

std::string StatisticsVisitor::unpackCode(std::uint64_t packed) {
    std::string code(packed & 0xFF, ' ');
    for (std::size_t i = 0; i < code.size(); ++i)
        code[i] = static_cast<char>((packed >> (8 * (i + 1))) & 0xFF);
    return code;
}

std::optional<std::int64_t> StatisticsVisitor::amount(const RecordLayout& layout, int field,
                                                      std::string_view line) {
    if (field < 0)
        return std::nullopt;
    return parseInteger(trimSpaces(layout.value(field, line)), -kAmountLimit, kAmountLimit);
}

void StatisticsVisitor::beginChunk(std::size_t chunk) {
    check_->beginChunk(chunk);
    chunk_ = &chunks_[chunk];
    firstDate_ = 0;
}

void StatisticsVisitor::record(std::size_t node, int typeIndex, int occurrence,
                               std::string_view line) {
    check_->record(node, typeIndex, occurrence, line);
    if (typeIndex != fa0_ || serviceDate_ < 0)
        return;
    const int date = dateOf(fa0Layout_.value(serviceDate_, line));
    if (date != 0 && (firstDate_ == 0 || date < firstDate_))
        firstDate_ = date;
}

void StatisticsVisitor::endClaim(const PassClaim& claim) {
    check_->endClaim(claim);
    ChunkStatistics& out = *chunk_;
    if (firstDate_ != 0)
        ++out.months[firstDate_ / 100];
    else
        ++out.claimsWithoutDate;
    firstDate_ = 0;
    const std::optional<std::int64_t> charges =
        claim.xa0 ? amount(xa0Layout_, claimCharges_, *claim.xa0) : std::nullopt;
    if (charges)
        ++out.chargeBins[FileStatistics::chargeBin(*charges)];
    else
        ++out.claimsWithoutCharges;
}

void StatisticsVisitor::line(std::string_view line, std::int64_t lineStart) {
    check_->line(line, lineStart);
    std::int64_t position = lineStart;
    if (!takeRecordLine(line, position))
        return;
    ChunkStatistics& out = *chunk_;
    // Five types count here; their bytes are told apart faster than any type's.
    const char letter = line[0];
    const bool counted =
        (letter == 'B' || letter == 'C' || letter == 'F' || letter == 'X' || letter == 'Y') &&
        line[1] == 'A' && line[2] == '0';
    const int type = counted ? recordTypeIndex(line.substr(0, 3)) : -1;
    if (type == ba0_) {
        ++out.batches;
        ChunkStatistics::Part part;
        part.position = position;
        NodeText text;
        part.text = std::string(text.make('B', line));
        out.parts.push_back(std::move(part));
    }
    ChunkStatistics::Part& part = out.parts.back();
    const bool inBatch = !part.closed;
    ++out.records;
    if (inBatch)
        ++part.records;
    if (type == ca0_) {
        ++out.claims;
        if (inBatch)
            ++part.claims;
    } else if (type == fa0_) {
        ++out.serviceLines;
        if (inBatch)
            ++part.serviceLines;
        if (procedure_ >= 0) {
            const std::string_view code = trimSpaces(fa0Layout_.value(procedure_, line));
            if (!code.empty()) {
                ChunkStatistics::Procedure& tally = out.procedures[packCode(code)];
                ++tally.serviceLines;
                tally.charges += amount(fa0Layout_, lineCharges_, line).value_or(0);
            }
        }
    } else if (type == xa0_) {
        const std::int64_t charges = amount(xa0Layout_, claimCharges_, line).value_or(0);
        out.charges += charges;
        if (inBatch)
            part.charges += charges;
    } else if (type == ya0_) {
        part.closed = true;
    }
}

} // namespace qm
