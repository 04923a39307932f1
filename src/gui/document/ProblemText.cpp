#include "gui/document/ProblemText.h"

#include "core/check/ProblemWords.h"
#include "gui/common/CoreText.h"
#include "gui/common/CountText.h"

#include <QStringList>

namespace {

QString more(std::int64_t count) {
    return QStringLiteral("\u2026 and %1 more").arg(count);
}

QString plural(std::int64_t count, const char* one, const char* many) {
    return CountText::of(count, one, many);
}

} // namespace

QString ProblemText::kindName(qm::Problem::Kind kind) {
    return QString::fromUtf8(qm::ProblemWords::kindName(kind));
}

QString ProblemText::severityName(qm::Problem::Severity severity) {
    switch (severity) {
    case qm::Problem::Severity::Error:
        return QStringLiteral("Error");
    case qm::Problem::Severity::Warning:
        return QStringLiteral("Warning");
    case qm::Problem::Severity::Note:
        break;
    }
    return QStringLiteral("Note");
}

ProblemKind ProblemText::severityMark(qm::Problem::Severity severity) {
    qm::Problem rule;
    rule.kind = qm::Problem::Kind::Rule;
    rule.ruleSeverity = severity;
    return markOf(rule);
}

QString ProblemText::markName(ProblemKind mark) {
    switch (mark) {
    case ProblemKind::RuleError:
        return QStringLiteral("Rule (error)");
    case ProblemKind::RuleWarning:
        return QStringLiteral("Rule (warning)");
    case ProblemKind::RuleNote:
        return QStringLiteral("Rule (note)");
    default:
        return kindName(qm::Problem::Kind(mark)); // a claim's kinds are the engine's
    }
}

QString ProblemText::fieldId(const qm::Problem& problem, const qm::LayoutCatalogue* layouts) {
    return CoreText::fromFile(qm::ProblemWords::fieldId(problem, layouts));
}

QString ProblemText::fieldName(const qm::Problem& problem, const qm::LayoutCatalogue* layouts) {
    return CoreText::fromFile(qm::ProblemWords::fieldName(problem, layouts));
}

QString ProblemText::found(const qm::ProblemRow& row) {
    return QString::fromStdString(qm::ProblemWords::found(row));
}

QString ProblemText::expected(const qm::ProblemRow& row) {
    return QString::fromStdString(qm::ProblemWords::expected(row));
}

QString ProblemText::line(const qm::ProblemRow& row, const qm::LayoutCatalogue* layouts) {
    return QString::fromStdString(qm::ProblemWords::line(row, layouts));
}

QString ProblemText::lines(const qm::ProblemStore& store, const qm::ProblemStore::Range& range,
                           const qm::LayoutCatalogue* layouts) {
    QStringList lines;
    qm::ProblemStore::Reader reader(store, range.first);
    while (reader.row() < range.end && lines.size() < kToolTipLines)
        lines.append(line(reader.next().row(), layouts));
    if (range.end - range.first > kToolTipLines)
        lines.append(more(range.end - range.first - kToolTipLines));
    return lines.join(QLatin1Char('\n'));
}

QString ProblemText::lines(const qm::ProblemStore& store, const std::vector<std::int64_t>& rows,
                           std::int64_t total, const qm::LayoutCatalogue* layouts) {
    QStringList lines;
    for (const std::int64_t row : rows)
        if (lines.size() < kToolTipLines)
            lines.append(line(store.at(row).row(), layouts));
    if (total > std::int64_t(lines.size()))
        lines.append(more(total - std::int64_t(lines.size())));
    return lines.join(QLatin1Char('\n'));
}

QString ProblemText::beneath(const ProblemCounts& counts) {
    QStringList lines{CountText::of(counts.claims, "claim", "claims") +
                      QStringLiteral(" with problems beneath:")};
    for (int kind = 0; kind < kProblemKindCount; ++kind)
        if (const std::int64_t n = counts.byKind[std::size_t(kind)])
            lines.append(
                QStringLiteral("  %1: %2").arg(markName(ProblemKind(kind)), CountText::number(n)));
    return lines.join(QLatin1Char('\n'));
}

QString ProblemText::counts(std::int64_t claims, std::int64_t batches, std::int64_t file) {
    QStringList parts;
    if (claims || (!batches && !file))
        parts.append(plural(claims, "claim", "claims"));
    if (batches)
        parts.append(plural(batches, "batch", "batches"));
    if (file)
        parts.append(CountText::number(file) + QStringLiteral(" of the file"));
    return parts.join(QStringLiteral(", "));
}
