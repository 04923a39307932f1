#pragma once

#include <cstddef>
#include <string_view>
#include <vector>

namespace qm {

// A text looked for in file bytes with case ignored, as Find ignores it: by
// CaseFold, over the characters the file text rule makes of the bytes.
class FoldedFinder {
public:
    // The text to look for (characters). False when no byte of a file can
    // stand for its first character: then nothing is ever found.
    bool prepare(std::u32string_view text);

    // Where the text first appears in bytes, or npos.
    std::size_t find(std::string_view bytes) const;
    // The text's length in characters, which is its length in file bytes.
    std::size_t size() const { return needle_.size(); }

private:
    std::vector<char32_t> needle_; // the text in upper case
    std::vector<char> heads_;      // the bytes whose upper case is needle_[0]
};

} // namespace qm
