#include "core/filetree/NodeText.h"

#include "core/common/FileText.h"
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

// Copies n bytes (at most 64) without a call: ten million texts of a few
// short pieces each cost more in calls to memcpy than in copying. Each case
// copies two pieces that overlap, reading and writing only the n bytes.
void copyShort(char* out, const char* in, std::size_t n) {
    auto two = [&](auto piece) {
        constexpr std::size_t k = sizeof piece;
        std::memcpy(&piece, in, k);
        std::memcpy(out, &piece, k);
        std::memcpy(&piece, in + n - k, k);
        std::memcpy(out + n - k, &piece, k);
    };
    struct Sixteen {
        std::uint64_t word[2];
    };
    if (n >= 32) {
        two(Sixteen());
        if (n > 32) // the middle, for n above 32
            copyShort(out + 16, in + 16, n - 32);
    } else if (n >= 16) {
        two(Sixteen());
    } else if (n >= 8) {
        two(std::uint64_t());
    } else if (n >= 4) {
        two(std::uint32_t());
    } else {
        for (std::size_t i = 0; i < n; ++i)
            out[i] = in[i];
    }
}

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
    return std::string_view(buf_, static_cast<std::size_t>(write(fields, buf_) - buf_));
}

char* NodeText::write(const Fields& fields, char* out) {
    const ShapeText& shape = kShapes[fields.shape];
    // Glue is padded to eight bytes and goes whole; the next piece overwrites the padding.
    auto glue = [&](int g) {
        std::memcpy(out, shape.glue[g], sizeof shape.glue[g]);
        out += shape.glueLength[g];
    };
    glue(0);
    for (int f = 0; f < shape.fieldCount; ++f) {
        copyShort(out, fields.field[f].data(), fields.field[f].size());
        out += fields.field[f].size();
        glue(f + 1);
    }
    return out;
}

bool NodeText::isPlain(const Fields& fields) {
    // The glue is plain.
    const ShapeText& shape = kShapes[fields.shape];
    for (int f = 0; f < shape.fieldCount; ++f)
        if (!FileText::isPlain(fields.field[f]))
            return false;
    return true;
}

std::string NodeText::patientName(std::string_view last, std::string_view first) {
    std::string name(last);
    if (!last.empty() && !first.empty())
        name += ", ";
    return name.append(first);
}

} // namespace qm
