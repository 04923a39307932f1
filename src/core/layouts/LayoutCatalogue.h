#pragma once

#include "core/layouts/RecordInfo.h"
#include "core/layouts/RecordLayout.h"
#include "core/layouts/RecordTypes.h"

#include <array>
#include <string>
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

    // What the load found doubtful in the map, one line each (UTF-8), for
    // every front end to show: a field number defined more than once, a field
    // whose columns overlap another's. Empty for a sound map.
    const std::vector<std::string>& warnings() const { return warnings_; }
    void addWarning(std::string line) { warnings_.push_back(std::move(line)); }

    // The folder the map was read from (file system bytes): what ships
    // beside the map (its format file, the integrity edits) is read there.
    // Empty for layouts read from no folder.
    const std::string& folder() const { return folder_; }
    void setFolder(std::string folder) { folder_ = std::move(folder); }

private:
    std::array<RecordLayout, kRecordTypeCount> entries_;
    std::vector<std::string> warnings_;
    std::string folder_;
};

} // namespace qm
