#include "core/filetree/NodeText.h"

#include "core/common/TextUtil.h"

#include <cstring>

namespace qm {

namespace {

// The n characters from column s, blanks trimmed. This runs three times
// for every claim of a file, on fields that are mostly blank padding: the
// padding at the end is found eight characters at a time, without a branch
// per character.
std::string_view trimmedColumns(std::string_view line, int start, int length) {
    static_assert(__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__, "the last character is the top byte");
    constexpr std::uint64_t kEightBlanks = 0x2020202020202020;
    const std::string_view field = columns(line, start, length);
    std::size_t e = field.size();
    for (;;) {
        if (e < 8) {
            while (e > 0 && field[e - 1] == ' ')
                --e;
            break;
        }
        std::uint64_t eight;
        std::memcpy(&eight, field.data() + e - 8, 8);
        if (const std::uint64_t notBlank = eight ^ kEightBlanks) {
            e -= static_cast<std::size_t>(__builtin_clzll(notBlank)) / 8;
            break;
        }
        e -= 8;
    }
    std::size_t b = 0;
    while (b < e && field[b] == ' ')
        ++b;
    return field.substr(b, e - b);
}

bool onlySpaces(std::string_view text) {
    return text.find_first_not_of(' ') == std::string_view::npos;
}

constexpr bool shapesFit() {
    for (const NodeText::ShapeText& shape : NodeText::kShapes) {
        std::size_t length = shape.glueLength[0];
        for (int f = 0; f < shape.fieldCount; ++f)
            length += shape.maxLength[f] + shape.glueLength[f + 1];
        if (length > NodeText::kMaxLength)
            return false;
    }
    return true;
}
static_assert(shapesFit(), "every text fits kMaxLength");

} // namespace

NodeText::Fields NodeText::fieldsOf(char typeLetter, std::string_view record) {
    if (typeLetter == 'A')
        return {kHeader, {trimmedColumns(record, 4, 16)}};
    if (typeLetter == 'B') {
        if (!onlySpaces(columns(record, 198, 22)))
            return {kBatchByPerson,
                    {trimmedColumns(record, 32, 15), trimmedColumns(record, 198, 20),
                     trimmedColumns(record, 218, 12)}};
        return {kBatchByName, {trimmedColumns(record, 32, 15), trimmedColumns(record, 165, 33)}};
    }
    return {kClaim,
            {trimmedColumns(record, 23, 20), trimmedColumns(record, 43, 12),
             trimmedColumns(record, 6, 17)}};
}

std::string_view NodeText::make(char typeLetter, std::string_view record) {
    return make(fieldsOf(typeLetter, record));
}

std::string_view NodeText::make(const Fields& fields) {
    const ShapeText& shape = kShapes[fields.shape];
    char* out = buf_;
    auto put = [&out](const char* bytes, std::size_t n) {
        if (n)
            std::memcpy(out, bytes, n);
        out += n;
    };
    put(shape.glue[0], shape.glueLength[0]);
    for (int f = 0; f < shape.fieldCount; ++f) {
        put(fields.field[f].data(), fields.field[f].size());
        put(shape.glue[f + 1], shape.glueLength[f + 1]);
    }
    return std::string_view(buf_, static_cast<std::size_t>(out - buf_));
}

std::string NodeText::patientName(std::string_view last, std::string_view first) {
    std::string name(last);
    if (!last.empty() && !first.empty())
        name += ", ";
    return name.append(first);
}

} // namespace qm
