#include "RecordView.h"

#include "EngineText.h"
#include "core/layouts/Module1.h"

#include <QJsonArray>
#include <QTextStream>
#include <algorithm>

namespace qm::cli {

namespace {

std::size_t at(int slot) {
    return static_cast<std::size_t>(slot);
}

} // namespace

RecordView::RecordView(const Module1& m, const std::string& nodeKey) {
    const std::size_t dash = nodeKey.find('-');
    type_ = nodeKey.substr(0, dash);
    occurrence_ = 1;
    if (dash != std::string::npos) {
        const std::string number = nodeKey.substr(dash + 1);
        if (number.empty() || number.size() > 2 ||
            number.find_first_not_of("0123456789") != std::string::npos)
            return;
        occurrence_ = std::stoi(number);
    }
    if (occurrence_ < 1 || occurrence_ > kMaxSlot)
        return;
    layout_ = m.RecordLayouts.find(type_);
}

int RecordView::fieldCount() const {
    return layout_ ? std::min<int>(layout_->Info.FieldCount, kMaxSlot) : 0;
}

std::string_view RecordView::fieldId(int slot) const {
    return layout_->Fields[at(slot)].FieldId;
}

std::string_view RecordView::fieldName(int slot) const {
    return layout_->Fields[at(slot)].FieldName;
}

bool RecordView::fieldValid(int slot) const {
    return layout_->Fields[at(slot)].Valid[at(occurrence_)];
}

QJsonObject RecordView::toJson() const {
    QJsonArray fields;
    for (int slot = 1; slot <= fieldCount(); ++slot) {
        const FieldDef& field = layout_->Fields[at(slot)];
        fields.append(QJsonObject{
            {QStringLiteral("slot"), slot},
            {QStringLiteral("id"), EngineText::fromBytes(field.FieldId)},
            {QStringLiteral("name"), EngineText::fromBytes(field.FieldName)},
            {QStringLiteral("value"), EngineText::fromBytes(field.Values[at(occurrence_)])},
            {QStringLiteral("valid"), field.Valid[at(occurrence_)]},
            {QStringLiteral("codes"), EngineText::fromBytes(field.TypeCodes)},
            {QStringLiteral("start"), field.StartPos},
            {QStringLiteral("end"), field.EndPos},
            {QStringLiteral("length"), field.Length},
        });
    }
    return {
        {QStringLiteral("type"), EngineText::fromBytes(type_)},
        {QStringLiteral("occurrence"), occurrence_},
        {QStringLiteral("line"),
         layout_ ? EngineText::fromBytes(layout_->Info.Lines[at(occurrence_)]) : QString()},
        {QStringLiteral("fields"), fields},
    };
}

void RecordView::printTable(QTextStream& out) const {
    int nameWidth = 4;
    for (int slot = 1; slot <= fieldCount(); ++slot)
        nameWidth = std::max<int>(nameWidth, static_cast<int>(fieldName(slot).size()));
    out << "  No.   " << QStringLiteral("Name").leftJustified(nameWidth) << "  Value\n";
    for (int slot = 1; slot <= fieldCount(); ++slot) {
        const FieldDef& field = layout_->Fields[at(slot)];
        QString row = (fieldValid(slot) ? QLatin1String("  ") : QLatin1String("* ")) +
                      EngineText::fromBytes(field.FieldId).leftJustified(6) +
                      EngineText::fromBytes(field.FieldName).leftJustified(nameWidth) +
                      QLatin1String("  ") + EngineText::fromBytes(field.Values[at(occurrence_)]);
        // Trailing blanks are padding here; the JSON output keeps them.
        while (row.endsWith(QLatin1Char(' ')))
            row.chop(1);
        out << row << '\n';
    }
}

} // namespace qm::cli
