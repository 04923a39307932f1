#pragma once

#include "core/check/ClaimVisitor.h"

#include <cstdint>
#include <map>
#include <utility>
#include <vector>

namespace qm {

// What a worker makes of the records many claims show (a batch of thousands
// of claims shows the same batch header), made once per record and kept.
template <typename Result> class SharedResults {
public:
    // Appends the results of each record to out, in order; make(record,
    // results) fills the results of a record not seen before.
    template <typename Make>
    void append(const std::vector<SharedRecord>& records, std::vector<Result>& out, Make&& make) {
        for (const SharedRecord& record : records) {
            auto found = kept_.find({record.at, record.typeIndex});
            if (found == kept_.end()) {
                std::vector<Result> results;
                make(record, results);
                found =
                    kept_.emplace(std::make_pair(record.at, record.typeIndex), std::move(results))
                        .first;
            }
            out.insert(out.end(), found->second.begin(), found->second.end());
        }
    }

private:
    std::map<std::pair<std::int64_t, int>, std::vector<Result>> kept_;
};

} // namespace qm
