#include "core/layouts/LayoutCatalogue.h"

namespace qm {

LayoutCatalogue::LayoutCatalogue()
    : entries_(kRecordTypeCount) {
}

bool LayoutCatalogue::GetRecordLayout(std::string_view recordType, FieldTable& fields,
                                      RecordInfo& info) const {
    if (const RecordLayout* layout = find(recordType)) {
        fields = layout->Fields;
        info = layout->Info;
    }
    return true;
}

RecordLayout* LayoutCatalogue::find(std::string_view recordType) {
    int i = recordTypeIndex(recordType);
    return i < 0 ? nullptr : &entries_[static_cast<std::size_t>(i)];
}

const RecordLayout* LayoutCatalogue::find(std::string_view recordType) const {
    int i = recordTypeIndex(recordType);
    return i < 0 ? nullptr : &entries_[static_cast<std::size_t>(i)];
}

int LayoutCatalogue::fieldSlot(const RecordLayout& layout, std::string_view fieldId) {
    for (int i = 1; i <= layout.Info.FieldCount && i <= kMaxSlot; ++i)
        if (layout.Fields[static_cast<std::size_t>(i)].FieldId == fieldId)
            return i;
    return 0;
}

} // namespace qm
