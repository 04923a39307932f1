#include "core/compare/UnitRecords.h"

#include "core/layouts/RecordStore.h"

namespace qm {

void UnitRecords::add(int typeIndex, int occurrence, std::string_view line, const Where& where) {
    line = line.substr(0, RecordStore::kMaxStoredLine);
    entries_.push_back({typeIndex, occurrence, text_.size(), line.size(), where});
    text_.append(line);
}

void UnitRecords::replace(std::size_t index, int typeIndex, int occurrence, std::string_view line,
                          const Where& where) {
    // The line given way to stays in the buffer until the records are cleared.
    line = line.substr(0, RecordStore::kMaxStoredLine);
    entries_[index] = {typeIndex, occurrence, text_.size(), line.size(), where};
    text_.append(line);
}

UnitRecords::Record UnitRecords::operator[](std::size_t index) const {
    const Entry& entry = entries_[index];
    return {entry.typeIndex, entry.occurrence,
            std::string_view(text_).substr(entry.offset, entry.length), entry.where};
}

void UnitRecords::clear() {
    text_.clear();
    entries_.clear();
}

void UnitRecords::release() {
    std::string().swap(text_);
    std::vector<Entry>().swap(entries_);
}

} // namespace qm
