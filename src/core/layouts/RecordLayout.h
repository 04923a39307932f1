#pragma once

#include "core/common/TextUtil.h"
#include "core/layouts/FieldDef.h"
#include "core/layouts/FieldFormat.h"
#include "core/layouts/FieldValidator.h"

#include <cstdint>
#include <string_view>
#include <vector>

namespace qm {

// The layout of one record type as a map file gives it: its field definitions
// in file order (the field numbered slot i is Fields[i - 1]) and whether the
// type may occur several times in a claim. Read-only once loaded.
class RecordLayout {
public:
    const std::vector<FieldDef>& fields() const { return fields_; }
    int fieldCount() const { return static_cast<int>(fields_.size()); }
    const FieldDef& field(int index) const { return fields_[static_cast<std::size_t>(index)]; }
    // True when a field is named "SEQUENCE NO" exactly.
    bool repeats() const { return repeats_; }

    // The value of field `index` (0-based) in a record line: the Length
    // characters from column StartPos, fewer where the line ends first. A
    // field that cannot be cut (a start before column 1, a negative length)
    // has no value.
    std::string_view value(int index, std::string_view line) const {
        const FieldDef& f = field(index);
        return f.StartPos < 1 || f.Length < 0 ? std::string_view()
                                              : columns(line, f.StartPos, f.Length);
    }
    // Whether field `index` lies wholly inside a line of this many
    // characters: from column 1 or later, at least one character long, and
    // ending within the line. A field that does not can be compared with
    // nothing.
    bool fitsIn(int index, std::size_t lineLength) const {
        const FieldDef& f = field(index);
        return f.StartPos >= 1 && f.Length >= 1 &&
               std::size_t(f.StartPos) - 1 + std::size_t(f.Length) <= lineLength;
    }
    // How field `index` is shown to a person (plain unless the format file
    // beside the map says otherwise).
    const FieldFormat& format(int index) const { return formats_[static_cast<std::size_t>(index)]; }
    // Whether a value of field `index` passes its type check.
    bool isValid(int index, std::string_view value) const {
        return checkFieldValue(checks_[static_cast<std::size_t>(index)], value);
    }
    // A field whose type letters ask for a check (the others always pass),
    // with what the check needs, kept together for a check of every record.
    struct CheckedField {
        int index;
        std::int16_t start; // 0 when the field cannot be cut
        std::int16_t length;
        FieldChecks checks;
        std::string_view value(std::string_view line) const {
            return start < 1 ? std::string_view() : columns(line, start, length);
        }
    };
    const std::vector<CheckedField>& checkedFields() const { return checkedFields_; }
    // 0-based index of the field with this field number, or -1.
    int indexOf(std::string_view fieldId) const;

    // Building, by the map loader.
    void addField(FieldDef field);
    void clear();
    // By the format loader, once the fields are in.
    void setFormat(int index, FieldFormat format) {
        formats_[static_cast<std::size_t>(index)] = std::move(format);
    }

private:
    std::vector<FieldDef> fields_;
    std::vector<FieldChecks> checks_;
    std::vector<FieldFormat> formats_;
    std::vector<CheckedField> checkedFields_;
    bool repeats_ = false;
};

} // namespace qm
