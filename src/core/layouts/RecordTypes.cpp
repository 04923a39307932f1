#include "core/layouts/RecordTypes.h"

#include <cstdint>

namespace qm {

// From the public layout notes; types they give no layout are named by their group.
const std::array<std::string_view, kRecordTypeCount> kRecordTypeNames = {
    "File header",
    "Batch header",
    "Batch header: addresses",
    "Claim header",
    "Claim header 2",
    "Responsible person",
    "Payer",
    "Payer address and payments",
    "Insured's address and employer",
    "Claim data",
    "Claim data 2",
    "Claim data 3",
    "Service line",
    "Service line: purchased service",
    "Service line: provider names",
    "Service line supplement",
    "Service line record",
    "Service line record",
    "Service line supplement",
    "Claim supplement",
    "Chiropractic data",
    "Claim supplement",
    "Claim supplement",
    "Claim supplement",
    "Claim supplement",
    "Claim supplement",
    "Claim supplement",
    "Claim supplement",
    "Narrative",
    "Claim trailer",
    "Batch trailer",
    "File trailer"};

namespace {

// Every type is an upper-case letter, an upper-case letter and a digit: one
// table slot for each such name, so that a lookup costs no comparisons. It
// runs for every line of a whole-file check.
constexpr int kSlots = 26 * 26 * 10;

constexpr int slotOf(std::string_view type) {
    if (type.size() != 3)
        return -1;
    const int a = type[0] - 'A', b = type[1] - 'A', c = type[2] - '0';
    if (a < 0 || a >= 26 || b < 0 || b >= 26 || c < 0 || c >= 10)
        return -1;
    return (a * 26 + b) * 10 + c;
}

// The type names as kRecordTypes has them, for a table made at compile time.
constexpr std::array<std::string_view, kRecordTypeCount> kNames = {
    "AA0", "BA0", "BA1", "CA0", "CA1", "CB0", "DA0", "DA1", "DA2", "EA0", "EA1",
    "EA2", "FA0", "FB0", "FB1", "FB2", "FB3", "FD0", "FE0", "GA0", "GC0", "GD0",
    "GD1", "GP0", "GU0", "GX0", "GX1", "GX2", "HA0", "XA0", "YA0", "ZA0"};

constexpr std::array<std::int8_t, kSlots> makeIndex() {
    std::array<std::int8_t, kSlots> index{};
    for (std::int8_t& slot : index)
        slot = -1;
    for (int i = 0; i < kRecordTypeCount; ++i)
        index[static_cast<std::size_t>(slotOf(kNames[static_cast<std::size_t>(i)]))] =
            static_cast<std::int8_t>(i);
    return index;
}

// Made by the compiler: a lookup asks no guard whether it is made yet.
constexpr std::array<std::int8_t, kSlots> kIndex = makeIndex();

} // namespace

const std::array<std::string_view, kRecordTypeCount> kRecordTypes = kNames;

int recordTypeIndex(std::string_view type) {
    const int slot = slotOf(type);
    return slot < 0 ? -1 : kIndex[static_cast<std::size_t>(slot)];
}

std::string_view recordTypeName(std::string_view type) {
    const int i = recordTypeIndex(type);
    return i < 0 ? std::string_view() : kRecordTypeNames[static_cast<std::size_t>(i)];
}

} // namespace qm
