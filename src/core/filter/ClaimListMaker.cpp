#include "core/filter/ClaimListMaker.h"

#include "core/check/ClaimVisitor.h"
#include "core/common/TextUtil.h"
#include "core/filter/FilterLiterals.h"
#include "core/layouts/LayoutCatalogue.h"

#include <algorithm>

namespace qm {

ClaimListMaker::ClaimListMaker(const LayoutCatalogue& layouts)
    : ca0_(recordTypeIndex("CA0"))
    , fa0_(recordTypeIndex("FA0"))
    , xa0_(recordTypeIndex("XA0"))
    , ba0_(recordTypeIndex("BA0"))
    , fa0Layout_(layouts.at(fa0_))
    , xa0Layout_(layouts.at(xa0_))
    , serviceDate_(fa0Layout_.indexOf("05.0"))
    , lineCharges_(fa0Layout_.indexOf("13.0"))
    , statedField_(xa0Layout_.indexOf("12.0")) {
}

void ClaimListMaker::forget() {
    ca0Line_.clear();
    firstService_ = 0;
    lines_ = 0;
    linesTotal_ = 0;
    hasStatedTotal_ = false;
    statedTotal_ = 0;
}

void ClaimListMaker::reset() {
    forget();
    providerBatch_ = -1;
}

void ClaimListMaker::record(int typeIndex, int occurrence, std::string_view line) {
    if (typeIndex == ca0_) {
        ca0Line_.assign(line);
    } else if (typeIndex == fa0_) {
        ++lines_;
        if (serviceDate_ >= 0) {
            const auto date =
                FilterLiterals::valueOf(trimSpaces(fa0Layout_.value(serviceDate_, line)), true);
            if (date && (firstService_ == 0 || *date < firstService_))
                firstService_ = std::int32_t(*date);
        }
        if (lineCharges_ >= 0) {
            const auto charge =
                FilterLiterals::valueOf(trimSpaces(fa0Layout_.value(lineCharges_, line)), false);
            std::int64_t sum = 0;
            if (charge && !__builtin_add_overflow(linesTotal_, *charge, &sum))
                linesTotal_ = sum;
        }
    } else if (typeIndex == xa0_ && occurrence == 1 && statedField_ >= 0) {
        // A second XA0 takes the first one's place, as in a click.
        const auto stated =
            FilterLiterals::valueOf(trimSpaces(xa0Layout_.value(statedField_, line)), false);
        hasStatedTotal_ = stated.has_value();
        statedTotal_ = stated.value_or(0);
    }
}

void ClaimListMaker::finish(const PassClaim& claim, FilterChunk& chunk, FilterChunk::Row& entry) {
    entry.firstService = firstService_;
    entry.lines = lines_;
    entry.linesTotal = linesTotal_;
    entry.hasStatedTotal = hasStatedTotal_;
    entry.statedTotal = statedTotal_;
    // As the file tree names the patient: "LAST, FIRST", and the control number.
    const NodeText::Fields fields = NodeText::fieldsOf('C', ca0Line_);
    const std::string_view last = fields.field[0], first = fields.field[1];
    std::string& pool = chunk.pool;
    entry.patient = std::uint32_t(pool.size());
    pool.append(last);
    if (!last.empty() && !first.empty())
        pool.append(", ");
    pool.append(first);
    entry.patientLength = std::uint16_t(pool.size() - entry.patient);
    entry.controlNumber = chunk.keep(fields.field[2]);
    entry.controlNumberLength = std::uint16_t(fields.field[2].size());
    for (const SharedRecord& shown : *claim.above) {
        if (shown.typeIndex != ba0_)
            continue;
        if (providerBatch_ != shown.at) {
            // Named as its batch's node names it, without the record type.
            std::string_view provider = text_.make('B', shown.line);
            provider.remove_prefix(std::min<std::size_t>(provider.size(), 5));
            providerBatch_ = shown.at;
            providerAt_ = chunk.keep(provider);
            providerLength_ = std::uint16_t(provider.size());
        }
        entry.provider = providerAt_;
        entry.providerLength = providerLength_;
    }
    forget();
}

} // namespace qm
