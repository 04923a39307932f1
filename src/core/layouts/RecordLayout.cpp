#include "core/layouts/RecordLayout.h"

#include "core/common/TextUtil.h"

namespace qm {

std::string_view RecordLayout::value(int index, std::string_view line) const {
    const FieldDef& f = field(index);
    if (f.StartPos < 1 || f.Length < 0)
        return {};
    return columns(line, f.StartPos, f.Length);
}

int RecordLayout::indexOf(std::string_view fieldId) const {
    for (std::size_t i = 0; i < fields_.size(); ++i)
        if (fields_[i].FieldId == fieldId)
            return static_cast<int>(i);
    return -1;
}

void RecordLayout::addField(FieldDef field) {
    if (field.FieldName == "SEQUENCE NO")
        repeats_ = true;
    checks_.push_back(fieldChecksOf(field.TypeCodes));
    fields_.push_back(std::move(field));
}

void RecordLayout::clear() {
    fields_.clear();
    checks_.clear();
    repeats_ = false;
}

} // namespace qm
