#include "core/compare/Difference.h"

namespace qm {

std::string UnitPlace::key(CompareUnit unit) const {
    if (!present())
        return {};
    if (unit == CompareUnit::Line)
        return "line " + std::to_string(line);
    static const char* const kTypes[] = {"AA0", "BA0", "CA0"};
    return kTypes[static_cast<int>(unit)] + std::to_string(position);
}

std::string UnitPlace::batchKey() const {
    return batch >= 0 ? "BA0" + std::to_string(batch) : std::string();
}

const char* kindWord(DifferenceKind kind) {
    static const char* const kWords[] = {"added", "removed", "changed", "moved"};
    return kWords[static_cast<int>(kind)];
}

const char* unitWord(CompareUnit unit) {
    static const char* const kWords[] = {"file header", "batch", "claim", "line"};
    return kWords[static_cast<int>(unit)];
}

} // namespace qm
