#include "core/compare/UnitReader.h"

#include "core/claim/BatchSecondLine.h"
#include "core/claim/ClaimAssembler.h"
#include "core/common/RecordLine.h"
#include "core/io/SequentialFile.h"

namespace qm {

namespace {

// The record of this type at position, when it is still there.
bool readRecord(SequentialFile& file, std::int64_t position, std::string_view type,
                UnitRecords& records) {
    if (position < 0)
        return false;
    file.seek(position);
    std::string_view line;
    if (!file.readLineView(line) || !takeRecordOfType(line, type))
        return false;
    records.add(recordTypeIndex(type), 1, line);
    return true;
}

} // namespace

bool UnitReader::read(SequentialFile& file, std::shared_ptr<const LayoutCatalogue> layouts,
                      CompareUnit unit, const UnitPlace& place, UnitRecords& records) {
    records.clear();
    switch (unit) {
    case CompareUnit::Claim: {
        ClaimAssembler assembler(layouts, file, nullptr);
        assembler.readClaim(place.position);
        const AssembledClaim claim = assembler.result("CA0", false);
        for (const AssembledRecord& record : claim.records)
            records.add(recordTypeIndex(record.type), record.occurrence, record.line);
        return !records.empty() && records[0].typeIndex == recordTypeIndex("CA0");
    }
    case CompareUnit::Batch: {
        if (!readRecord(file, place.position, "BA0", records))
            return false;
        const std::int64_t second = BatchSecondLine::position(file, place.position);
        std::string_view line;
        file.seek(second);
        if (second >= 0 && file.readLineView(line) && BatchSecondLine::isOne(*layouts, line))
            records.add(recordTypeIndex("BA1"), 1, line);
        return place.trailer < 0 || readRecord(file, place.trailer, "YA0", records);
    }
    case CompareUnit::FileHeader:
        return readRecord(file, place.position, "AA0", records) &&
               (place.trailer < 0 || readRecord(file, place.trailer, "ZA0", records));
    }
    return false;
}

} // namespace qm
