#include "core/filetree/NodeText.h"

#include "core/common/TextUtil.h"

#include <algorithm>
#include <cstring>

namespace qm {

namespace {

// The n characters from column s, blanks trimmed.
std::string_view trimmedColumns(std::string_view line, int start, int length) {
    return trimSpaces(columns(line, start, length));
}

bool onlySpaces(std::string_view text) {
    return text.find_first_not_of(' ') == std::string_view::npos;
}

} // namespace

NodeText& NodeText::operator<<(std::string_view part) {
    const std::size_t n = std::min(part.size(), sizeof buf_ - size_);
    std::memcpy(buf_ + size_, part.data(), n);
    size_ += n;
    return *this;
}

std::string_view NodeText::make(char typeLetter, std::string_view line) {
    size_ = 0;
    if (typeLetter == 'A') {
        *this << "AA0: " << trimmedColumns(line, 4, 16);
    } else if (typeLetter == 'B') {
        *this << "BA0: " << trimmedColumns(line, 32, 15) << " - ";
        if (!onlySpaces(columns(line, 198, 22)))
            *this << trimmedColumns(line, 198, 20) << ", " << trimmedColumns(line, 218, 12);
        else
            *this << trimmedColumns(line, 165, 33);
    } else {
        *this << "CA0: " << trimmedColumns(line, 23, 20) << ", " << trimmedColumns(line, 43, 12) << " (" << trimmedColumns(line, 6, 17)
              << ")";
    }
    return std::string_view(buf_, size_);
}

} // namespace qm
