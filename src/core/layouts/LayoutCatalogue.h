#pragma once

#include "core/layouts/RecordInfo.h"
#include "core/layouts/RecordLayout.h"
#include "core/layouts/RecordTypes.h"

#include <array>
#include <string_view>
#include <vector>

namespace qm {

// The layout catalogue: one RecordLayout per record type, in catalogue order.
// The map loader builds one; everything else holds it read-only (shared
// between threads as a std::shared_ptr<const LayoutCatalogue>).
class LayoutCatalogue {
public:
    // The type's layout, or nullptr for a type outside the 32 (exact match).
    const RecordLayout* find(std::string_view recordType) const;
    const RecordLayout& at(int typeIndex) const {
        return entries_[static_cast<std::size_t>(typeIndex)];
    }
    RecordLayout& at(int typeIndex) { return entries_[static_cast<std::size_t>(typeIndex)]; }

    // Copies the type's field definitions and info into the outputs and
    // returns true; for a type outside the table the outputs are left
    // untouched (and it still returns true).
    bool GetRecordLayout(std::string_view recordType, std::vector<FieldDef>& fields,
                         RecordInfo& info) const;

private:
    std::array<RecordLayout, kRecordTypeCount> entries_;
};

} // namespace qm
