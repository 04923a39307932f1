#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace qm {

// A field whose value matched a field search, in the claim form of a claim.
struct FieldHit {
    std::string node; // the claim form node key, e.g. "FA0-2"
    int typeIndex = -1;
    int field = -1;    // index in the record type's layout
    std::string value; // as a click shows it: cut from the record, blanks and all (file bytes)
    std::uint32_t start = 0; // the matched part of value
    std::uint32_t length = 0;
};

// The fields of one claim's form that matched, in the order of its nodes.
struct ClaimHits {
    std::int64_t position = 0; // of its CA0 record: the file tree key is "CA0" + position
    std::string text;          // the file tree's node text (file bytes)
    // The patient, "LAST, FIRST", and control number, as the text names them.
    std::string patientName;
    std::string controlNumber;
    std::vector<FieldHit> fields;

    std::string key() const { return "CA0" + std::to_string(position); }
};

} // namespace qm
