#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace qm {

// The text of a file tree node, from its record: "AA0: " and the submitter,
// "BA0: " and the batch's provider, "CA0: " and the patient's name and claim
// number. A record gives up to three trimmed fields, and the text is those
// fields with fixed words around them: a tree keeps only the fields.
class NodeText {
public:
    // How a node's text reads; a batch names its provider by organisation or
    // by person.
    enum Shape : std::uint8_t { kHeader, kBatchByName, kBatchByPerson, kClaim };

    struct ShapeText {
        char glue[4][8]; // before the first field, between fields, after the last; padded
        std::size_t glueLength[4];
        int fieldCount;
        std::size_t maxLength[3]; // the width of each field's columns
    };
    // In the order of Shape.
    static constexpr ShapeText kShapes[4] = {
        {{"AA0: ", ""}, {5, 0}, 1, {16}},
        {{"BA0: ", " - ", ""}, {5, 3, 0}, 2, {15, 33}},
        {{"BA0: ", " - ", ", ", ""}, {5, 3, 2, 0}, 3, {15, 20, 12}},
        {{"CA0: ", ", ", " (", ")"}, {5, 2, 2, 1}, 3, {20, 12, 17}},
    };
    // Longer than any text.
    static constexpr std::size_t kMaxLength = 64;
    // What write() may touch: a text and the padding of its last words.
    static constexpr std::size_t kRoom = kMaxLength + 8;

    struct Fields {
        Shape shape;
        std::string_view field[3];
    };
    // The fields of an AA0, BA0 or CA0 record (typeLetter 'A', 'B', 'C').
    // They point into record.
    static Fields fieldsOf(char typeLetter, std::string_view record);

    // "AA0", "BA0" or "CA0".
    static std::string_view recordType(Shape shape) {
        return shape == kHeader ? "AA0" : shape == kClaim ? "CA0" : "BA0";
    }

    // Builds the text of an AA0, BA0 or CA0 record (typeLetter 'A', 'B', 'C').
    std::string_view make(char typeLetter, std::string_view record);
    // The same from its fields.
    std::string_view make(const Fields& fields);
    // Writes the text of fields at out, which has kRoom bytes; returns its end.
    static char* write(const Fields& fields, char* out);
    // True when the text is plain printable ASCII (FileText::isPlain).
    static bool isPlain(const Fields& fields);

    // A claim's patient as its text names him: "LAST, FIRST", or what there
    // is of it (trimmed fields, file bytes).
    static std::string patientName(std::string_view last, std::string_view first);

private:
    char buf_[kRoom];
};

} // namespace qm
