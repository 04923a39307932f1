#include "FieldPlacer.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>
#include <string>

namespace nsfgen {

FieldRef FieldPlacer::require(std::string_view recordType, std::string_view fieldId) const {
    const std::string key = std::string(recordType) + " " + std::string(fieldId);
    const qm::RecordLayout* layout = catalogue_.find(recordType);
    const int index = layout ? layout->indexOf(fieldId) : -1;
    if (index < 0)
        throw std::runtime_error("the map file has no field " + key);
    const qm::FieldDef& def = layout->field(index);
    if (def.StartPos < 1 || def.Length < 1 ||
        std::size_t(def.StartPos + def.Length - 1) > qm::kRecordLength)
        throw std::runtime_error("the map file places field " + key + " outside columns 1-320");
    return {def.StartPos, def.Length};
}

void FieldPlacer::text(char* line, FieldRef field, std::string_view value) {
    if (field.start == 0)
        return;
    const std::size_t n = std::min(value.size(), static_cast<std::size_t>(field.length));
    std::memcpy(line + field.start - 1, value.data(), n);
}

bool FieldPlacer::number(char* line, FieldRef field, std::uint64_t value) {
    if (field.start == 0)
        return true;
    char* end = line + field.start - 1 + field.length;
    for (int i = 0; i < field.length; ++i) {
        *--end = static_cast<char>('0' + value % 10);
        value /= 10;
    }
    return value == 0;
}

void FieldPlacer::date(char* line, FieldRef field, std::int64_t daysSinceEpoch) {
    // Days to civil date (proleptic Gregorian), after H. Hinnant's algorithm.
    const std::int64_t z = daysSinceEpoch + 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const std::int64_t doe = z - era * 146097;
    const std::int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const std::int64_t mp = (5 * doy + 2) / 153;
    const std::int64_t day = doy - (153 * mp + 2) / 5 + 1;
    const std::int64_t month = mp < 10 ? mp + 3 : mp - 9;
    const std::int64_t year = yoe + era * 400 + (month <= 2 ? 1 : 0);
    const auto ymd = static_cast<std::uint64_t>(year * 10000 + month * 100 + day);
    number(line, {field.start, std::min(field.length, 8)}, ymd);
}

std::int64_t FieldPlacer::daysFromCivil(int year, int month, int day) {
    const std::int64_t y = year - (month <= 2 ? 1 : 0);
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const std::int64_t yoe = y - era * 400;
    const std::int64_t doy = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const std::int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

} // namespace nsfgen
