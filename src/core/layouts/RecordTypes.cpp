#include "core/layouts/RecordTypes.h"

namespace qm {

const std::array<std::string_view, kRecordTypeCount> kRecordTypes = {
    "AA0", "BA0", "BA1", "CA0", "CA1", "CB0", "DA0", "DA1", "DA2", "EA0", "EA1",
    "EA2", "FA0", "FB0", "FB1", "FB2", "FB3", "FD0", "FE0", "GA0", "GC0", "GD0",
    "GD1", "GP0", "GU0", "GX0", "GX1", "GX2", "HA0", "XA0", "YA0", "ZA0"};

int recordTypeIndex(std::string_view type) {
    for (int i = 0; i < kRecordTypeCount; ++i)
        if (kRecordTypes[static_cast<std::size_t>(i)] == type)
            return i;
    return -1;
}

} // namespace qm
