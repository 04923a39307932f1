#include "print/ProblemRows.h"

#include "core/check/ProblemWords.h"
#include "core/filetree/FileTree.h"
#include "print/PrintText.h"

#include <QStringList>
#include <iterator>

namespace {

enum Column { Where, Line, Text, Kind, Record, Field, Name, Found, Expected, ColumnCount };

const char* const kHeaders[] = {"Where", "Line", "Node Text", "Kind",    "Record",
                                "Field", "Name", "Found",     "Expected"};
static_assert(std::size(kHeaders) == ColumnCount);

// The groups of rows that are not a batch's.
constexpr std::int64_t kFileGroup = -1;
constexpr std::int64_t kNoBatchGroup = -2;

} // namespace

ProblemRows::ProblemRows(std::shared_ptr<const qm::ProblemStore> store,
                         std::shared_ptr<const qm::LayoutCatalogue> layouts, std::int64_t count,
                         Order order)
    : store_(std::move(store))
    , layouts_(std::move(layouts))
    , count_(count < 0 || !order ? store_->size() : count)
    , order_(std::move(order)) {
}

ProblemRows::~ProblemRows() = default;

const qm::ProblemStore::Entry& ProblemRows::entry(std::int64_t row) const {
    if (row != readRow_) {
        const std::int64_t storeRow = order_ ? order_(row) : row;
        if (!reader_)
            reader_.emplace(*store_, storeRow);
        else
            reader_->seek(storeRow);
        read_ = reader_->next();
        readRow_ = row;
    }
    return read_;
}

TableDocument::Section ProblemRows::section(const QString& filePath,
                                            std::vector<TableDocument::Line> more) const {
    TableDocument::Section section;
    section.title = QStringLiteral("Problems");
    section.lines = {{QStringLiteral("File"), filePath}};
    for (TableDocument::Line& line : figures())
        section.lines.push_back(std::move(line));
    for (TableDocument::Line& line : more)
        section.lines.push_back(std::move(line));
    section.rows = this;
    return section;
}

std::vector<TableDocument::Line> ProblemRows::figures() const {
    std::vector<TableDocument::Line> lines;
    const qm::FileCheck::Summary* summary = store_->summary();
    if (!summary) {
        lines.push_back({QStringLiteral("Check"),
                         QStringLiteral("not finished: the problems found so far"), true});
    } else {
        QStringList claims{
            QStringLiteral("totals not computing: %1")
                .arg(PrintText::number(summary->totalsFailed)),
            QStringLiteral("with invalid fields: %1").arg(PrintText::number(summary->withInvalid)),
            QStringLiteral("without XA0: %1").arg(PrintText::number(summary->withoutXa0))};
        if (summary->uncertain)
            claims << QStringLiteral("not checked: %1").arg(PrintText::number(summary->uncertain));
        lines.push_back(
            {QStringLiteral("Claims"), QStringLiteral("%1 checked, %2 with problems (%3)")
                                           .arg(PrintText::number(summary->claims),
                                                PrintText::number(summary->claimsWithProblems),
                                                claims.join(QStringLiteral(", ")))});
        lines.push_back(
            {QStringLiteral("Batches"), QStringLiteral("%1, %2 with problems of their own")
                                            .arg(PrintText::number(summary->batches),
                                                 PrintText::number(summary->batchesWithProblems))});
        lines.push_back(
            {QStringLiteral("The file"), QStringLiteral("%1 problems of its own")
                                             .arg(PrintText::number(summary->fileProblems))});
        if (summary->fileChanged)
            lines.push_back({QStringLiteral("Check"),
                             QStringLiteral("The file changed while it was read (%1 claims could "
                                            "not be read): check it again.")
                                 .arg(PrintText::number(summary->notRead)),
                             true});
    }
    const std::int64_t all = store_->size();
    const QString rows =
        all == 1 ? QStringLiteral("1 row") : PrintText::number(all) + QStringLiteral(" rows");
    QString text = QStringLiteral("No problems found");
    if (all > 0 && count_ == all)
        text = rows + QStringLiteral(", grouped by batch");
    else if (all > 0)
        text =
            QStringLiteral("%1 of the %2, grouped by batch").arg(PrintText::number(count_), rows);
    lines.push_back({QStringLiteral("Problems"), text});
    return lines;
}

int ProblemRows::columnCount() const {
    return ColumnCount;
}

QString ProblemRows::header(int column) const {
    return QLatin1String(kHeaders[column]);
}

std::int64_t ProblemRows::rowCount() const {
    return count_;
}

QString ProblemRows::cell(std::int64_t row, int column) const {
    const qm::ProblemStore::Entry& e = entry(row);
    const qm::Problem& p = e.problem;
    const qm::LayoutCatalogue* layouts = layouts_.get();
    switch (column) {
    case Where:
        if (p.scope == qm::Problem::Scope::Claim)
            return QStringLiteral("CA0%1").arg(p.position);
        if (p.scope == qm::Problem::Scope::Batch)
            return QStringLiteral("BA0%1").arg(e.batchPosition);
        return QStringLiteral("File");
    case Line:
        return p.line ? QString::number(p.line) : QString();
    case Text: {
        // Of the claim it names, else of its batch.
        const qm::FileTree& tree = *store_->tree();
        std::int64_t node = e.claimNode;
        if (p.claim < 0 && p.batch >= 0)
            node = tree.findNode("BA0", e.batchPosition).value_or(-1);
        qm::FileTree::TextBuffer buffer;
        return node >= 0 ? PrintText::fromFile(tree.text(node, buffer)) : QString();
    }
    case Kind:
        return PrintText::fromUtf8(qm::ProblemWords::kindName(p.kind));
    case Record:
        return PrintText::fromFile(qm::ProblemWords::recordKey(p, layouts));
    case Field:
        return PrintText::fromFile(qm::ProblemWords::fieldId(p, layouts));
    case Name:
        return PrintText::fromFile(qm::ProblemWords::fieldName(p, layouts));
    case Found:
        return PrintText::fromUtf8(qm::ProblemWords::shownFound(e.row(), layouts));
    case Expected:
        return PrintText::fromUtf8(qm::ProblemWords::shownExpected(e.row(), layouts));
    default:
        return QString();
    }
}

Qt::Alignment ProblemRows::alignment(int column) const {
    return column == Line ? Qt::AlignRight : Qt::AlignLeft;
}

int ProblemRows::stretchColumn() const {
    return Text;
}

bool ProblemRows::grouped() const {
    return true;
}

std::int64_t ProblemRows::group(std::int64_t row) const {
    const qm::ProblemStore::Entry& e = entry(row);
    if (e.problem.scope == qm::Problem::Scope::File)
        return kFileGroup;
    return e.problem.batch >= 0 ? e.batchPosition : kNoBatchGroup;
}

QString ProblemRows::groupHeading(std::int64_t row) const {
    const std::int64_t batch = group(row);
    if (batch == kFileGroup)
        return QStringLiteral("File");
    if (batch == kNoBatchGroup)
        return QStringLiteral("Outside any batch");
    const qm::FileTree& tree = *store_->tree();
    const std::int64_t node = tree.findNode("BA0", batch).value_or(-1);
    qm::FileTree::TextBuffer buffer;
    return QStringLiteral("BA0%1  ").arg(batch) +
           (node >= 0 ? PrintText::fromFile(tree.text(node, buffer)) : QString());
}
