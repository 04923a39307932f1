#include "gui/problems/ProblemText.h"

#include "core/layouts/LayoutCatalogue.h"
#include "gui/common/CoreText.h"

#include <QStringList>

namespace {

// A tooltip lists this many problems of a claim at most.
constexpr std::int64_t kToolTipLines = 12;

const qm::FieldDef* fieldOf(const qm::LayoutCatalogue* layouts, const ProblemList& list,
                            const ProblemList::Item& item) {
    const qm::RecordLayout* layout =
        layouts && item.field >= 0 ? layouts->find(list.record(item).substr(0, 3)) : nullptr;
    return layout && item.field < layout->fieldCount() ? &layout->field(item.field) : nullptr;
}

} // namespace

QString ProblemText::kindName(ProblemKind kind) {
    switch (kind) {
    case ProblemKind::TotalsDoNotCompute:
        return QStringLiteral("Totals do not compute");
    case ProblemKind::Unreadable:
        return QStringLiteral("Unreadable");
    case ProblemKind::InvalidValue:
        return QStringLiteral("Invalid value");
    case ProblemKind::CouldNotCheck:
        return QStringLiteral("Could not check");
    case ProblemKind::NoXa0:
        break;
    }
    return QStringLiteral("No XA0");
}

QString ProblemText::fieldId(const qm::LayoutCatalogue* layouts, const ProblemList& list,
                             const ProblemList::Item& item) {
    const qm::FieldDef* field = fieldOf(layouts, list, item);
    return field ? CoreText::fromFile(field->FieldId) : QString();
}

QString ProblemText::fieldName(const qm::LayoutCatalogue* layouts, const ProblemList& list,
                               const ProblemList::Item& item) {
    const qm::FieldDef* field = fieldOf(layouts, list, item);
    return field ? CoreText::fromFile(field->FieldName) : QString();
}

QString ProblemText::expected(const ProblemList& list, const ProblemList::Item& item) {
    if (item.kind != ProblemKind::TotalsDoNotCompute)
        return QString();
    const std::string_view stated = list.value(item);
    const bool digits =
        !stated.empty() && stated.find_first_not_of("0123456789") == std::string_view::npos;
    const QString number = QString::number(item.expected);
    if (!digits || item.expected < 0)
        return number;
    return number.rightJustified(qsizetype(stated.size()), QLatin1Char('0'));
}

QString ProblemText::line(const qm::LayoutCatalogue* layouts, const ProblemList& list,
                          const ProblemList::Item& item) {
    const QString field =
        (fieldId(layouts, list, item) + QLatin1Char(' ') + fieldName(layouts, list, item))
            .trimmed();
    const QString value = CoreText::fromFile(list.value(item));
    switch (item.kind) {
    case ProblemKind::TotalsDoNotCompute:
        return QStringLiteral("Totals do not compute: %1 \u2014 XA0 %2, lines add up to %3")
            .arg(field, value, expected(list, item));
    case ProblemKind::InvalidValue:
        return QStringLiteral("Invalid value: %1 %2 \u2014 \"%3\"")
            .arg(CoreText::fromFile(list.record(item)), field, value);
    case ProblemKind::Unreadable:
        return QStringLiteral("Unreadable: the file changed while the claim was read");
    case ProblemKind::CouldNotCheck:
        return QStringLiteral(
            "Could not check: the map lacks XA0 fields that the totals are compared with");
    case ProblemKind::NoXa0:
        break;
    }
    return QStringLiteral("No XA0: the claim has no trailer of its own; its totals were not "
                          "compared");
}

QString ProblemText::claimToolTip(const qm::LayoutCatalogue* layouts, const ProblemList& list,
                                  std::int64_t claim) {
    QStringList lines;
    const std::int64_t first = list.firstRow(claim);
    const std::int64_t end = list.endRow(claim);
    for (std::int64_t i = first; i < end && i - first < kToolTipLines; ++i)
        lines.append(line(layouts, list, list.row(i)));
    if (end - first > kToolTipLines)
        lines.append(QStringLiteral("\u2026 and %1 more").arg(end - first - kToolTipLines));
    return lines.join(QLatin1Char('\n'));
}

QString ProblemText::containerToolTip(const ProblemList::Counts& counts) {
    QStringList lines{counts.claims == 1
                          ? QStringLiteral("1 claim with problems beneath:")
                          : QStringLiteral("%1 claims with problems beneath:").arg(counts.claims)};
    for (int kind = 0; kind < kProblemKindCount; ++kind)
        if (const std::uint32_t n = counts.byKind[std::size_t(kind)])
            lines.append(QStringLiteral("  %1: %2").arg(kindName(ProblemKind(kind))).arg(n));
    return lines.join(QLatin1Char('\n'));
}
