#include "gui/problems/ProblemText.h"

#include "core/check/ProblemWords.h"
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
    return QString::fromUtf8(qm::ProblemWords::kindName(qm::Problem::Kind(kind)));
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
    return QString::fromStdString(qm::ProblemWords::expected(list.problemRow(item)));
}

QString ProblemText::line(const qm::LayoutCatalogue* layouts, const ProblemList& list,
                          const ProblemList::Item& item) {
    return QString::fromStdString(qm::ProblemWords::line(list.problemRow(item), layouts));
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
