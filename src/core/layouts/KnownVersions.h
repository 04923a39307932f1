#pragma once

#include <array>
#include <string_view>

namespace qm {

// An NSF version the system has a map file for.
struct KnownVersion {
    std::string_view code;       // columns 244 to 248 of the AA0 record
    std::string_view mapFile;    // looked for in the map folders
    std::string_view formatFile; // beside the map: how its values are shown
};

inline constexpr std::array<KnownVersion, 2> kKnownVersions = {{
    {"00200", "nsf0200.map", "nsf0200.fmt"},
    {"00301", "nsf0301.map", "nsf0301.fmt"},
}};

// The map file of a version code (compared exactly), or nullptr.
inline const KnownVersion* findKnownVersion(std::string_view code) {
    for (const KnownVersion& version : kKnownVersions)
        if (version.code == code)
            return &version;
    return nullptr;
}

} // namespace qm
