#pragma once

#include <cstddef>
#include <string_view>

namespace qm {

// The text of a file tree node, put together in place from its record:
// "AA0: " and the submitter, "BA0: " and the batch's provider, "CA0: " and the
// patient's name and claim number. Texts are short, and this runs for every
// header and claim of a file, so nothing is allocated.
class NodeText {
public:
    // Builds the text of an AA0, BA0 or CA0 record (typeLetter 'A', 'B', 'C').
    std::string_view make(char typeLetter, std::string_view record);

private:
    NodeText& operator<<(std::string_view part);

    char buf_[256];
    std::size_t size_ = 0;
};

} // namespace qm
