#include "core/compare/UnitRecords.h"

#include "core/layouts/RecordStore.h"

namespace qm {

namespace {
// Lines given way to are let go once they take this much beside the others.
constexpr std::size_t kSlack = std::size_t(1) << 16;
} // namespace

void UnitRecords::add(int typeIndex, int occurrence, std::string_view line, const Where& where) {
    line = line.substr(0, RecordStore::kMaxStoredLine);
    entries_.push_back({typeIndex, occurrence, text_.size(), line.size(), where});
    text_.append(line);
    live_ += line.size();
}

void UnitRecords::replace(std::size_t index, int typeIndex, int occurrence, std::string_view line,
                          const Where& where) {
    line = line.substr(0, RecordStore::kMaxStoredLine);
    live_ += line.size();
    live_ -= entries_[index].length;
    entries_[index] = {typeIndex, occurrence, text_.size(), line.size(), where};
    text_.append(line);
    // A claim of millions of records of a type that does not repeat (any
    // type, with an empty map) keeps only its last one.
    if (text_.size() > 2 * live_ + kSlack) {
        std::string kept;
        kept.reserve(live_);
        for (Entry& entry : entries_) {
            const std::size_t offset = kept.size();
            kept.append(text_, entry.offset, entry.length);
            entry.offset = offset;
        }
        text_.swap(kept);
    }
}

UnitRecords::Record UnitRecords::operator[](std::size_t index) const {
    const Entry& entry = entries_[index];
    return {entry.typeIndex, entry.occurrence,
            std::string_view(text_).substr(entry.offset, entry.length), entry.where};
}

void UnitRecords::clear() {
    text_.clear();
    entries_.clear();
    live_ = 0;
}

void UnitRecords::release() {
    std::string().swap(text_);
    std::vector<Entry>().swap(entries_);
    live_ = 0;
}

} // namespace qm
