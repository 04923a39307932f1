#include "core/compare/FileComparison.h"

namespace qm {

std::int64_t FileComparison::Summary::count(CompareUnit unit) const {
    std::int64_t n = 0;
    for (const std::int64_t kind : differences[static_cast<std::size_t>(unit)])
        n += kind;
    return n;
}

std::int64_t FileComparison::Summary::total() const {
    std::int64_t n = 0;
    for (int unit = 0; unit < kCompareUnitCount; ++unit)
        n += count(CompareUnit(unit));
    return n;
}

} // namespace qm
