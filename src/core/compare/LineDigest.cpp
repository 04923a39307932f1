#include "core/compare/LineDigest.h"

#include <chrono>
#include <cstring>
#include <random>

namespace qm {

void LineDigest::add(std::uint64_t value) {
    state_ = mix(state_ ^ value, kStep) + value;
}

void LineDigest::add(std::string_view bytes) {
    add(static_cast<std::uint64_t>(bytes.size()));
    std::size_t at = 0;
    for (; at + 8 <= bytes.size(); at += 8) {
        std::uint64_t word = 0;
        std::memcpy(&word, bytes.data() + at, 8);
        add(word);
    }
    if (at < bytes.size()) {
        std::uint64_t word = 0;
        std::memcpy(&word, bytes.data() + at, bytes.size() - at);
        add(word);
    }
}

std::uint64_t LineDigest::freshSeed() {
    std::random_device device;
    const std::uint64_t drawn = (std::uint64_t(device()) << 32) ^ device();
    // Where the device gives little, the clock adds its part.
    return drawn ^
           static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count());
}

} // namespace qm
