#include "core/filetree/TrailerIndex.h"

#include "core/io/SequentialFile.h"

#include <algorithm>

namespace qm {

void TrailerIndex::clear() {
    ya0_.clear();
    za0_.clear();
    fileIdentity.clear();
    complete = false;
}

void TrailerIndex::add(char typeLetter, std::int64_t lineStart) {
    (typeLetter == 'Y' ? ya0_ : za0_).push_back(lineStart);
}

std::optional<std::int64_t> TrailerIndex::firstAtOrAfter(char typeLetter, std::int64_t from) const {
    const auto& list = typeLetter == 'Y' ? ya0_ : za0_;
    auto it = std::lower_bound(list.begin(), list.end(), from);
    if (it == list.end())
        return std::nullopt;
    return *it;
}

TrailerIndex::Below TrailerIndex::below(std::int64_t from) const {
    Below found{firstAtOrAfter('Y', from), firstAtOrAfter('Z', from)};
    if (found.batch && found.file && *found.file < *found.batch)
        found.batch.reset();
    return found;
}

bool TrailerIndex::describes(const SequentialFile& file) const {
    return complete && !fileIdentity.empty() && fileIdentity == file.identity();
}

} // namespace qm
