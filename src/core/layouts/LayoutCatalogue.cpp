#include "core/layouts/LayoutCatalogue.h"

namespace qm {

const RecordLayout* LayoutCatalogue::find(std::string_view recordType) const {
    const int i = recordTypeIndex(recordType);
    return i < 0 ? nullptr : &entries_[static_cast<std::size_t>(i)];
}

bool LayoutCatalogue::GetRecordLayout(std::string_view recordType, std::vector<FieldDef>& fields,
                                      RecordInfo& info) const {
    if (const RecordLayout* layout = find(recordType)) {
        fields = layout->fields();
        info.FieldCount = static_cast<std::int16_t>(layout->fieldCount());
        info.Repeats = layout->repeats();
    }
    return true;
}

} // namespace qm
