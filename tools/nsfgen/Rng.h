#pragma once

#include <cstddef>
#include <cstdint>

namespace nsfgen {

// splitmix64: the same seed gives the same sequence on every platform and
// standard library, which the committed samples rely on.
class Rng {
public:
    explicit Rng(std::uint64_t seed)
        : state_(seed) {}

    std::uint64_t next();
    // A whole number in [low, high].
    std::int64_t between(std::int64_t low, std::int64_t high);
    // True with the given chance in percent.
    bool percent(int chance);
    template <typename T, std::size_t N> const T& pick(const T (&items)[N]) {
        return items[static_cast<std::size_t>(between(0, static_cast<std::int64_t>(N) - 1))];
    }

private:
    std::uint64_t state_;
};

} // namespace nsfgen
