#pragma once

#include "core/layouts/LayoutCatalogue.h"
#include "core/search/SearchHit.h"
#include "core/search/SearchQuery.h"
#include "core/search/ValueMatcher.h"

#include <array>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace qm {

// What a field search looks at and how: the fields of every record type the
// query takes in, and the test their values undergo. Not for two threads at
// once (copy it for each thread).
class SearchPlan {
public:
    // False, with the reason in error, when the query names a record type or
    // field the layouts do not have, compares numbers in fields that hold
    // none, or cannot be matched at all.
    bool prepare(const SearchQuery& query, std::shared_ptr<const LayoutCatalogue> layouts,
                 std::string& error);

    // No field to look at: the query names none and the map has none (a
    // version without a map, an empty map). Such a search matches nothing.
    bool empty() const;

    // Appends the matching fields of one record of the given type (node keys empty).
    void match(int typeIndex, std::string_view line, std::vector<FieldHit>& out) const;

    // "CA0 03.0 LAST NAME": how messages name a field (UTF-8).
    static std::string describeField(const LayoutCatalogue& layouts, int typeIndex, int field);

private:
    // Every field the query's field and record type name; false with error
    // when it names something the map does not have.
    bool select(const SearchQuery& query, std::string& error);

    std::shared_ptr<const LayoutCatalogue> layouts_;
    ValueMatcher matcher_;
    std::array<std::vector<int>, kRecordTypeCount> fields_;
    // Test the whole record first: worth it for records of many fields.
    std::array<bool, kRecordTypeCount> wholeRecordFirst_{};
    // match()'s working space: the values of a record and those that matched.
    mutable std::vector<std::string_view> values_;
    mutable std::vector<ValueMatch> matches_;
};

} // namespace qm
