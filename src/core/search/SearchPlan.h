#pragma once

#include "core/layouts/LayoutCatalogue.h"
#include "core/search/SearchHit.h"
#include "core/search/SearchQuery.h"
#include "core/search/ValueMatcher.h"

#include <array>
#include <memory>
#include <optional>
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

    // The unit a field's stored digits count, for a number search: money
    // and tenths as its format says, dates (its D letter or its format),
    // whole numbers (its N letter); nullopt for a field of no numbers.
    static std::optional<NumberText::Unit> unitOf(const RecordLayout& layout, int field);
    // "amounts of money", "dates", "whole numbers", "numbers with one decimal place".
    static std::string_view unitWords(NumberText::Unit unit);
    // A number search: what the fields it compares in hold, in words
    // ("amounts of money"; "amounts of money and whole numbers" for a field
    // number of several record types). A search over every field compares
    // only in fields of the unit of the number typed.
    std::string comparedIn() const;

private:
    // Every field the query's field and record type name; false with error
    // when it names something the map does not have.
    bool select(const SearchQuery& query, std::string& error);

    std::shared_ptr<const LayoutCatalogue> layouts_;
    ValueMatcher matcher_;
    std::array<std::vector<int>, kRecordTypeCount> fields_;
    // Where each of fields_ wide enough for a match stands in its record
    // (ValueMatcher::matchColumns), and which of fields_ it is.
    std::array<std::vector<FieldColumns>, kRecordTypeCount> columns_;
    std::array<std::vector<std::size_t>, kRecordTypeCount> columnFields_;
    std::array<std::size_t, kRecordTypeCount> reach_{}; // where the last of columns_ ends
    // Number: the unit of each of fields_.
    std::array<std::vector<NumberText::Unit>, kRecordTypeCount> units_;
    // Test the whole record first: worth it for records of many fields.
    std::array<bool, kRecordTypeCount> wholeRecordFirst_{};
    // match()'s working space: the values of a record and those that matched.
    mutable std::vector<std::string_view> values_;
    mutable std::vector<ValueMatch> matches_;
};

} // namespace qm
