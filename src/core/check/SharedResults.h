#pragma once

#include "core/check/ClaimVisitor.h"
#include "core/layouts/RecordTypes.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

namespace qm {

// What a worker makes of the records many claims show (a batch of thousands
// of claims shows the same batch header), made once per record and kept
// while claims show it. Claims come in file order, so those are the last few
// records seen: only they are kept, and memory stays the same however many
// batches a file holds.
template <typename Result> class SharedResults {
public:
    // Appends the results of each record to out, in order; make(record,
    // results) fills the results of a record not kept.
    template <typename Make>
    void append(const std::vector<SharedRecord>& records, std::vector<Result>& out, Make&& make) {
        for (const SharedRecord& record : records) {
            const std::pair<std::int64_t, int> key(record.at, record.typeIndex);
            // Claim after claim shows the same records: mostly the one of its
            // type that was found last.
            const bool typed = record.typeIndex >= 0 && record.typeIndex < kRecordTypeCount;
            std::size_t* last =
                typed ? &lastOfType_[static_cast<std::size_t>(record.typeIndex)] : nullptr;
            auto found = last && *last < kept_.size() && kept_[*last].key == key
                             ? kept_.begin() + std::ptrdiff_t(*last)
                             : std::find_if(kept_.begin(), kept_.end(),
                                            [&key](const Kept& kept) { return kept.key == key; });
            if (found == kept_.end()) {
                if (kept_.size() == kKept)
                    kept_.erase(kept_.begin());
                kept_.push_back({key, {}});
                make(record, kept_.back().results);
                found = kept_.end() - 1;
            }
            if (last)
                *last = std::size_t(found - kept_.begin());
            if (!found->results.empty()) // as for most records
                out.insert(out.end(), found->results.begin(), found->results.end());
        }
    }

private:
    // A claim shows five: file header, batch header, BA1, batch and file trailer.
    static constexpr std::size_t kKept = 8;
    struct Kept {
        std::pair<std::int64_t, int> key; // where the record was read, and its type
        std::vector<Result> results;
    };
    std::vector<Kept> kept_;
    // Where in kept_ the record of each type was found last (a guess).
    std::array<std::size_t, kRecordTypeCount> lastOfType_{};
};

} // namespace qm
