#include "core/layouts/RecordStore.h"

#include "core/layouts/RecordTypes.h"

#include <algorithm>

namespace qm {

namespace {
std::size_t slotIndex(int typeIndex, int occurrence) {
    return static_cast<std::size_t>(typeIndex) * kMaxOccurrence +
           static_cast<std::size_t>(occurrence - 1);
}
} // namespace

void RecordStore::put(int typeIndex, int occurrence, std::string_view line) {
    if (typeIndex < 0 || typeIndex >= kRecordTypeCount || occurrence < 1 ||
        occurrence > kMaxOccurrence)
        return;
    if (slots_.empty())
        slots_.resize(static_cast<std::size_t>(kRecordTypeCount) * kMaxOccurrence);
    Slot& slot = slots_[slotIndex(typeIndex, occurrence)];
    slot.cut = line.size() > kMaxStoredLine;
    slot.line.assign(line.substr(0, kMaxStoredLine));
    slot.written = true;
}

const RecordStore::Slot* RecordStore::get(int typeIndex, int occurrence) const {
    if (slots_.empty() || typeIndex < 0 || typeIndex >= kRecordTypeCount || occurrence < 1 ||
        occurrence > kMaxOccurrence)
        return nullptr;
    const Slot& slot = slots_[slotIndex(typeIndex, occurrence)];
    return slot.written ? &slot : nullptr;
}

} // namespace qm
