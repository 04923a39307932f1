#pragma once

#include "core/layouts/RecordLayout.h"

#include <string_view>
#include <vector>

namespace qm {

// The layout catalogue and record store: one RecordLayout per record type, in
// catalogue order, fixed for the life of the program. A FieldTable copy is
// large (a third of a megabyte): keep copies on the heap, not on the stack.
class LayoutCatalogue {
public:
    LayoutCatalogue();

    // Copies the type's whole field table and info block into the outputs and
    // returns true; for a type outside the table the outputs are left untouched
    // (and it still returns true).
    bool GetRecordLayout(std::string_view recordType, FieldTable& fields, RecordInfo& info) const;

    // In-place access for the map loader, claim assembly and the totals check.
    RecordLayout* find(std::string_view recordType);
    const RecordLayout* find(std::string_view recordType) const;
    RecordLayout& at(int index) { return entries_[static_cast<std::size_t>(index)]; }
    const RecordLayout& at(int index) const { return entries_[static_cast<std::size_t>(index)]; }

    // Index of the field with this field number within the type's 1..FieldCount, or 0.
    static int fieldSlot(const RecordLayout& layout, std::string_view fieldId);

private:
    // On the heap: the store holds 320,000 value slots, far too much for a stack.
    std::vector<RecordLayout> entries_;
};

} // namespace qm
