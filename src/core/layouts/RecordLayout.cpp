#include "core/layouts/RecordLayout.h"

namespace qm {

int RecordLayout::indexOf(std::string_view fieldId) const {
    for (std::size_t i = 0; i < fields_.size(); ++i)
        if (fields_[i].FieldId == fieldId)
            return static_cast<int>(i);
    return -1;
}

void RecordLayout::addField(FieldDef field) {
    if (field.FieldName == "SEQUENCE NO")
        repeats_ = true;
    const FieldChecks checks = fieldChecksOf(field.TypeCodes);
    if (checks.numeric || checks.required || checks.date) {
        const bool cuttable = field.StartPos >= 1 && field.Length >= 0;
        checkedFields_.push_back(
            {fieldCount(), cuttable ? field.StartPos : std::int16_t(0), field.Length, checks});
    }
    checks_.push_back(checks);
    formats_.emplace_back();
    fields_.push_back(std::move(field));
}

void RecordLayout::clear() {
    fields_.clear();
    checks_.clear();
    formats_.clear();
    checkedFields_.clear();
    repeats_ = false;
}

} // namespace qm
