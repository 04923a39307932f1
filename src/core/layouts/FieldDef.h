#pragma once

#include <cstdint>
#include <string>

namespace qm {

// One field definition of a map file: the seven values of one entry.
struct FieldDef {
    std::string RecordType;
    std::string FieldId; // "04.0"
    std::string FieldName;
    std::int16_t Length = 0;
    std::string TypeCodes; // X, N, R, D
    std::int16_t StartPos = 0;
    std::int16_t EndPos = 0;
};

} // namespace qm
