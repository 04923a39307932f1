#pragma once

#include "core/common/RecordLine.h"
#include "core/layouts/LayoutCatalogue.h"

#include <cstdint>
#include <string_view>

namespace nsfgen {

// The columns of one field as a map file defines them; start 0 means the map
// of this version has no such field, and writes to it do nothing.
struct FieldRef {
    int start = 0;
    int length = 0;
};

// Finds fields in a loaded layout catalogue and writes values into record lines
// at their columns.
class FieldPlacer {
public:
    explicit FieldPlacer(const qm::LayoutCatalogue& catalogue)
        : catalogue_(catalogue) {}

    // The field's columns; throws std::runtime_error when the map lacks the
    // field or places it outside columns 1 to 320.
    FieldRef require(std::string_view recordType, std::string_view fieldId) const;

    // Left-justified, cut to the field's length; the rest stays blank.
    static void text(char* line, FieldRef field, std::string_view value);
    // Right-justified and zero-filled. A value with more digits than the field
    // keeps its low digits and the call returns false.
    static bool number(char* line, FieldRef field, std::uint64_t value);
    // CCYYMMDD of a day counted from 1970-01-01.
    static void date(char* line, FieldRef field, std::int64_t daysSinceEpoch);
    // The day count of a calendar date, for date().
    static std::int64_t daysFromCivil(int year, int month, int day);

private:
    const qm::LayoutCatalogue& catalogue_;
};

} // namespace nsfgen
