#include "core/report/ReportText.h"

#include "core/check/ProblemWords.h"
#include "core/common/FileText.h"
#include "core/common/MessageTexts.h"
#include "core/layouts/LayoutCatalogue.h"
#include "core/report/JsonWriter.h"

namespace qm {

std::string ReportText::padded(std::string_view utf8, std::size_t width) {
    std::size_t characters = 0;
    for (char c : utf8)
        characters += (static_cast<unsigned char>(c) & 0xC0) != 0x80 ? 1 : 0;
    std::string text(utf8);
    if (characters < width)
        text.append(width - characters, ' ');
    return text;
}

std::string_view ReportText::fieldName(const LayoutCatalogue* layouts, std::string_view recordType,
                                       int field) {
    const RecordLayout* layout = layouts ? layouts->find(recordType) : nullptr;
    if (!layout || field < 0 || field >= layout->fieldCount())
        return {};
    return layout->field(field).FieldName;
}

std::string ReportText::totalsLine(TotalsState state, const std::vector<std::string>& mismatched) {
    switch (state) {
    case TotalsState::NotAClaim:
    case TotalsState::Ok:
        break;
    case TotalsState::NoTrailer:
        return "no XA0: nothing compared";
    case TotalsState::CouldNotCheck:
        return "could not be checked (XA0 fields that the check compares are missing from the "
               "map or do not lie within the line, or the amounts they are compared with are "
               "too large to add up)";
    case TotalsState::DoNotCompute: {
        const Message message = MessageTexts::totalsDoNotCompute();
        std::string line = message.title + ": " + message.text + " (fields";
        for (const std::string& id : mismatched)
            line += ' ' + FileText::toPrintable(id);
        return line + ")";
    }
    }
    return "ok";
}

void ReportText::writeComparison(JsonWriter& json, const TotalsComparison& comparison,
                                 const LayoutCatalogue* layouts) {
    json.beginObject()
        .key("id")
        .fileString(comparison.fieldId)
        .key("name")
        .fileString(fieldName(layouts, "XA0", comparison.field))
        .key("found")
        .fileString(comparison.stated)
        .key("expected")
        .value(std::to_string(comparison.computed));
}

std::string ReportText::comparisonLine(const TotalsComparison& comparison,
                                       const LayoutCatalogue* layouts) {
    const RecordLayout* layout = layouts ? layouts->find("XA0") : nullptr;
    const bool known = layout && comparison.field >= 0 && comparison.field < layout->fieldCount();
    return ProblemWords::disagreement("XA0", known ? &layout->field(comparison.field) : nullptr,
                                      known ? &layout->format(comparison.field) : nullptr,
                                      comparison.stated, comparison.computed,
                                      ProblemWords::Bytes::Printable);
}

} // namespace qm
