#include "core/check/StatisticsVisitor.h"

#include "core/claim/ClaimRules.h"
#include "core/common/RecordLine.h"
#include "core/common/TextUtil.h"
#include "core/filetree/NodeText.h"
#include "core/layouts/FieldValidator.h"
#include "core/layouts/LayoutCatalogue.h"
#include "core/layouts/RecordTypes.h"

#include <limits>

namespace qm {

namespace {

// A date CCYYMMDD as a number, or 0 when it is none: a date that is not on
// the calendar (20000230, 00000115) is no date, as the field check says.
int dateOf(std::string_view value) {
    if (value.size() != 8)
        return 0;
    int date = 0;
    for (const char c : value) {
        if (c < '0' || c > '9')
            return 0;
        date = date * 10 + (c - '0');
    }
    return isDateText(value.substr(4, 2), value.substr(6, 2), value.substr(0, 4)) ? date : 0;
}

} // namespace

StatisticsVisitor::StatisticsVisitor(const ClaimRules& rules, std::vector<ChunkStatistics>& chunks)
    : chunks_(chunks)
    , ba0_(recordTypeIndex("BA0"))
    , ca0_(recordTypeIndex("CA0"))
    , fa0_(recordTypeIndex("FA0"))
    , xa0_(recordTypeIndex("XA0"))
    , ya0_(recordTypeIndex("YA0"))
    , za0_(recordTypeIndex("ZA0"))
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

StatisticsVisitor::Amount StatisticsVisitor::amount(const RecordLayout& layout, int field,
                                                    std::string_view line) {
    Amount found;
    if (field < 0)
        return found;
    const std::string_view text = trimSpaces(layout.value(field, line));
    if (const auto cents = parseInteger(text, std::numeric_limits<std::int64_t>::min(),
                                        std::numeric_limits<std::int64_t>::max())) {
        found.state = Amount::State::Cents;
        found.cents = *cents;
        return found;
    }
    // Digits past 64 bits (a map wider than ours) are an amount all the same.
    std::string_view digits = text;
    if (!digits.empty() && (digits.front() == '+' || digits.front() == '-'))
        digits.remove_prefix(1);
    if (digits.empty())
        return found;
    for (const char c : digits)
        if (c < '0' || c > '9')
            return found;
    found.state = Amount::State::TooLarge;
    found.cents = text.front() == '-' ? std::numeric_limits<std::int64_t>::min()
                                      : std::numeric_limits<std::int64_t>::max();
    return found;
}

void StatisticsVisitor::beginChunk(std::size_t chunk) {
    chunk_ = &chunks_[chunk];
    firstDate_ = 0;
    lastClaim_ = claimBefore_ = ClaimPlace();
}

void StatisticsVisitor::record(std::size_t, int typeIndex, int, std::string_view line) {
    if (typeIndex != fa0_ || serviceDate_ < 0)
        return;
    const int date = dateOf(fa0Layout_.value(serviceDate_, line));
    if (date != 0 && (firstDate_ == 0 || date < firstDate_))
        firstDate_ = date;
}

void StatisticsVisitor::endClaim(const PassClaim& claim) {
    ChunkStatistics& out = *chunk_;
    if (firstDate_ != 0)
        ++out.months[firstDate_ / 100];
    else
        ++out.claimsWithoutDate;
    firstDate_ = 0;

    FileStatistics::Money money;
    Amount charges;
    if (claim.xa0)
        charges = amount(xa0Layout_, claimCharges_, *claim.xa0);
    else
        money.claimsWithoutXa0 = 1;
    charges.addTo(money.charges);
    if (charges.state == Amount::State::None)
        ++out.claimsWithoutCharges;
    else
        ++out.chargeBins[FileStatistics::chargeBin(charges.cents)];
    out.money.add(money);
    // The claim belongs to the batch its CA0 line was in.
    const ClaimPlace& place = lastClaim_.position == claim.position ? lastClaim_ : claimBefore_;
    if (place.position == claim.position && place.inBatch)
        out.parts[place.part].money.add(money);
}

void StatisticsVisitor::line(std::string_view line, std::int64_t lineStart) {
    std::int64_t position = lineStart;
    if (!takeRecordLine(line, position))
        return;
    ChunkStatistics& out = *chunk_;
    // Six types count here; their bytes are told apart faster than any type's.
    const char letter = line[0];
    const bool counted = (letter == 'B' || letter == 'C' || letter == 'F' || letter == 'X' ||
                          letter == 'Y' || letter == 'Z') &&
                         line[1] == 'A' && line[2] == '0';
    const int type = counted ? recordTypeIndex(line.substr(0, 3)) : -1;
    if (type == ba0_) {
        ++out.batches;
        ChunkStatistics::Part part;
        part.position = position;
        NodeText text;
        part.text = std::string(text.make('B', line));
        out.parts.push_back(std::move(part));
    } else if (type == za0_) {
        ChunkStatistics::Part& last = out.parts.back();
        if (!last.afterFileTrailer) {
            last.fileTrailer = true;
            if (!last.closed) {
                ChunkStatistics::Part after;
                after.afterFileTrailer = true;
                out.parts.push_back(std::move(after));
            }
        }
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
        claimBefore_ = lastClaim_;
        lastClaim_ = {position, out.parts.size() - 1, inBatch};
    } else if (type == fa0_) {
        ++out.serviceLines;
        const Amount charges = amount(fa0Layout_, lineCharges_, line);
        charges.addTo(out.money.lineCharges);
        if (inBatch) {
            ++part.serviceLines;
            charges.addTo(part.money.lineCharges);
        }
        if (procedure_ >= 0) {
            const std::string_view code = trimSpaces(fa0Layout_.value(procedure_, line));
            if (!code.empty()) {
                ChunkStatistics::Procedure& tally = out.procedures[packCode(code)];
                ++tally.serviceLines;
                charges.addTo(tally.charges);
            }
        }
    } else if (type == ya0_) {
        part.closed = true;
    }
}

} // namespace qm
