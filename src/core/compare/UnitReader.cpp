#include "core/compare/UnitReader.h"

#include "core/claim/BatchSecondLine.h"
#include "core/common/RecordLine.h"
#include "core/compare/UnitScanner.h"
#include "core/io/SequentialFile.h"

#include <algorithm>

namespace qm {

namespace {

// The line that begins at start, as the scanner is given it.
bool readLine(SequentialFile& file, std::int64_t start, std::int64_t number,
              UnitScanner::LineRead& read) {
    file.seek(start);
    if (start < 1 || !file.readLineView(read.raw))
        return false;
    read.start = start;
    read.number = number;
    read.cut = file.lastLineCut();
    read.next = file.position();
    return true;
}

// The record of this type at position (where its record begins, after a
// line feed its line begins with), when it is still there.
bool readRecord(SequentialFile& file, std::uint64_t seed, std::int64_t position, bool leadingLf,
                std::int64_t number, std::string_view type, UnitRecords& records) {
    UnitScanner::LineRead read;
    if (position < 0 || !readLine(file, position - (leadingLf ? 1 : 0), number, read))
        return false;
    std::string_view record = read.raw;
    if (!takeRecordOfType(record, type))
        return false;
    records.add(recordTypeIndex(type), 1, record, UnitScanner::whereOf(file, seed, read, record));
    return true;
}

// The first claim a scanner finds.
class FirstClaim : public UnitScanner::Listener {
public:
    void unit(StreamUnit&& unit) override {
        if (!found && unit.unit == CompareUnit::Claim) {
            claim = std::move(unit);
            found = true;
        }
    }
    StreamUnit claim;
    bool found = false;
};

bool readClaim(SequentialFile& file, std::shared_ptr<const LayoutCatalogue> layouts,
               std::uint64_t seed, const UnitPlace& place, UnitRecords& records) {
    const std::int64_t start = place.position - (place.leadingLf & 1);
    if (place.position < 0 || start < 1)
        return false;
    // Not a claim there any more: the file changed.
    UnitScanner::LineRead read;
    std::string_view record;
    if (!readLine(file, start, place.line, read) || !takeRecordOfType(record = read.raw, "CA0"))
        return false;
    FirstClaim first;
    UnitScanner scanner(std::move(layouts), true, seed, file, first,
                        std::max<std::int64_t>(1, place.line));
    file.seek(start);
    file.forEachLine([&](std::string_view line, std::int64_t lineStart) {
        scanner.line(line, lineStart, file.lastLineCut(), file.position());
        return !first.found;
    });
    if (!first.found)
        scanner.finish(file.position(), false);
    records = std::move(first.claim.records);
    return first.found && first.claim.place.position == place.position;
}

} // namespace

bool UnitReader::read(SequentialFile& file, std::shared_ptr<const LayoutCatalogue> layouts,
                      CompareUnit unit, const UnitPlace& place, UnitRecords& records,
                      std::uint64_t seed) {
    records.clear();
    const bool leadingLf = place.leadingLf & 1;
    const bool trailerLf = place.leadingLf & 2;
    switch (unit) {
    case CompareUnit::Claim:
        return readClaim(file, std::move(layouts), seed, place, records);
    case CompareUnit::Batch: {
        if (!readRecord(file, seed, place.position, leadingLf, place.line, "BA0", records))
            return false;
        UnitScanner::LineRead second;
        if (readLine(file, BatchSecondLine::position(file, place.position), place.line + 1,
                     second) &&
            BatchSecondLine::isOne(*layouts, second.raw))
            records.add(recordTypeIndex("BA1"), 1, second.raw,
                        UnitScanner::whereOf(file, seed, second, second.raw));
        return place.trailer < 0 ||
               readRecord(file, seed, place.trailer, trailerLf, place.trailerLine, "YA0", records);
    }
    case CompareUnit::FileHeader:
        return readRecord(file, seed, place.position, leadingLf, place.line, "AA0", records) &&
               (place.trailer < 0 || readRecord(file, seed, place.trailer, trailerLf,
                                                place.trailerLine, "ZA0", records));
    case CompareUnit::Line:
        break;
    }
    return false;
}

} // namespace qm
