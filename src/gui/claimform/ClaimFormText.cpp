#include "gui/claimform/ClaimFormText.h"

#include "core/claim/AssembledClaim.h"
#include "core/common/TextUtil.h"
#include "core/layouts/RecordLayout.h"
#include "gui/common/CoreText.h"

#include <QStringList>

QString ClaimFormText::trimmed(std::string_view bytes) {
    return CoreText::fromFile(qm::trimSpaces(bytes));
}

QString ClaimFormText::fieldLine(const qm::FieldDef& field, std::string_view value) {
    return QStringList{CoreText::fromFile(field.FieldId), trimmed(field.FieldName), trimmed(value),
                       QStringLiteral("%1-%2").arg(field.StartPos).arg(field.EndPos)}
        .join(QLatin1Char('\t'));
}

QString ClaimFormText::storedAs(const QString& stored) {
    return QStringLiteral("Stored as ") + stored;
}

QString ClaimFormText::recordText(const qm::RecordLayout& layout,
                                  const qm::AssembledRecord& record) {
    QString text;
    for (int i = 0; i < layout.fieldCount() && i < int(record.fields.size()); ++i)
        text += fieldLine(layout.field(i), record.value(i)) + QLatin1Char('\n');
    return text;
}
