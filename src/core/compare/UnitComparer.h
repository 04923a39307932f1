#pragma once

#include "core/compare/Difference.h"
#include "core/compare/UnitRecords.h"
#include "core/layouts/LayoutCatalogue.h"

#include <array>
#include <functional>
#include <memory>
#include <string_view>
#include <vector>

namespace qm {

// One field of one record of two units side by side: the record by its type
// and occurrence, the field by its number, as each file has it.
struct AlignedField {
    std::string record; // the claim form node key: "FA0-2"
    int typeIndex = -1;
    std::string fieldId;
    int fieldA = -1; // index in A's layout of the type; -1: A's record or map lacks it
    int fieldB = -1;
    std::string_view a, b; // the stored values, into the units' lines
    bool inA = true;       // A's unit has the record
    bool inB = true;
    // The values differ where both maps have the field, and every field of
    // a record only one unit has differs.
    bool differs = false;
};

// Compares the records of two units read with two sets of layouts (each
// file's own version). Records pair by type and occurrence; the fields of
// a pair by field number where both layouts have it (the first definition
// where a map defines one twice), on their stored values. A record only one
// unit has differs in every field its layout gives it.
class UnitComparer {
public:
    UnitComparer(std::shared_ptr<const LayoutCatalogue> a,
                 std::shared_ptr<const LayoutCatalogue> b);

    const LayoutCatalogue& layoutsA() const { return *a_; }
    const LayoutCatalogue& layoutsB() const { return *b_; }

    // A record whose line differs where no field that differs shows it: in
    // both units, its line differing outside the fields compared (or beyond
    // what a record keeps), or in one only, with no field in its map.
    struct UnseenLine {
        bool inA = false; // A's unit has the record
        bool inB = false;
        UnitRecords::Record a, b;
    };

    // The fields that differ, in the order of A's records, then B's records
    // that A lacks; with unseen, also the records that differ where no
    // field shows it, in that order.
    std::vector<FieldChange> changes(const UnitRecords& a, const UnitRecords& b,
                                     std::vector<UnseenLine>* unseen = nullptr) const;
    // Every field of both units in that order, a record's fields in the order
    // of A's layout, then those only B's layout has.
    std::vector<AlignedField> align(const UnitRecords& a, const UnitRecords& b) const;

private:
    // How the fields of one record type pair up.
    struct TypePairing {
        // A's first definitions in its order, each with B's field of that
        // number (-1: none).
        std::vector<std::pair<int, int>> fieldsA;
        std::vector<int> allB;  // B's first definitions
        std::vector<int> onlyB; // those of them A's map lacks
        bool identical = false; // same fields at the same columns: equal lines, equal values
    };

    using Visit = std::function<void(const AlignedField&)>;
    using RecordVisit =
        std::function<void(const UnitRecords::Record* a, const UnitRecords::Record* b)>;
    // Pairs the records: A's in order, each with its partner or none, then B's without one.
    void pairRecords(const UnitRecords& a, const UnitRecords& b, const RecordVisit& visit) const;
    // Walks the aligned fields; with differencesOnly, only those that differ.
    void walk(const UnitRecords& a, const UnitRecords& b, bool differencesOnly,
              const Visit& visit) const;
    void walkRecord(const UnitRecords::Record* a, const UnitRecords::Record* b,
                    bool differencesOnly, const Visit& visit) const;

    std::shared_ptr<const LayoutCatalogue> a_;
    std::shared_ptr<const LayoutCatalogue> b_;
    std::array<TypePairing, kRecordTypeCount> types_;
};

} // namespace qm
