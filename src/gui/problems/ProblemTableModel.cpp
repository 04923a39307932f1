#include "gui/problems/ProblemTableModel.h"

#include "core/check/ProblemWords.h"
#include "core/filetree/FileTree.h"
#include "core/layouts/LayoutCatalogue.h"
#include "core/layouts/RecordTypes.h"
#include "gui/common/CoreText.h"
#include "gui/common/PlainText.h"
#include "gui/document/ProblemCheck.h"
#include "gui/document/ProblemIcons.h"
#include "gui/document/ProblemKind.h"
#include "gui/document/ProblemText.h"
#include "gui/results/ResultsFilterModel.h"

#include <iterator>
#include <limits>

namespace {

const char* const kHeaders[] = {"Where",
                                "Line",
                                "Node Text",
                                "Kind",
                                "Severity",
                                "Rule",
                                "Record",
                                "Field",
                                "Name",
                                "Found",
                                "Expected",
                                "Patient Name",
                                "Control Number",
                                "Found (stored)",
                                "Expected (stored)",
                                "Found (dollars)",
                                "Expected (dollars)",
                                "Message"};
static_assert(std::size(kHeaders) == ProblemTableModel::ColumnCount);

} // namespace

ProblemTableModel::ProblemTableModel(const ProblemCheck& check, QObject* parent)
    : QAbstractTableModel(parent)
    , check_(&check)
    , store_(check.store()) {
    connect(&check, &ProblemCheck::marksAdded, this, &ProblemTableModel::addRows);
    connect(&check, &ProblemCheck::aboutToClear, this, [this] {
        beginResetModel();
        reset(false);
    });
    connect(&check, &ProblemCheck::cleared, this, [this] {
        store_ = check_->store();
        endResetModel();
    });
    connect(&check, &ProblemCheck::checkGoing, this, [this] {
        beginResetModel();
        reset(true);
        endResetModel();
    });
    addRows();
}

void ProblemTableModel::reset(bool checkGoes) {
    rows_ = 0;
    reader_.reset();
    readRow_ = -1;
    store_.reset();
    if (checkGoes)
        check_ = nullptr;
}

void ProblemTableModel::addRows() {
    const qint64 rows = store_ ? store_->size() : 0;
    // A view counts rows in int.
    const int all = int(qMin(rows, qint64(std::numeric_limits<int>::max())));
    if (all <= rows_)
        return;
    beginInsertRows(QModelIndex(), rows_, all - 1);
    rows_ = all;
    endInsertRows();
}

QString ProblemTableModel::categoryOfRule(const QString& id) {
    // Rule ids hold no blank: no kind's name reads so.
    return QStringLiteral("rule ") + id;
}

qint64 ProblemTableModel::storeRow(int row) const {
    return store_ && row >= 0 && row < rows_ ? row : -1;
}

int ProblemTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : rows_;
}

int ProblemTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

qm::ProblemStore::Entry ProblemTableModel::entry(int row) const {
    if (row != readRow_) {
        if (!reader_)
            reader_.emplace(*store_, row);
        else
            reader_->seek(row);
        read_ = reader_->next();
        readRow_ = row;
    }
    return read_;
}

QVariant ProblemTableModel::text(const qm::ProblemStore::Entry& entry, int column) const {
    return textOf(entry, column, check_->layouts(), *store_->tree());
}

QVariant ProblemTableModel::textOf(const qm::ProblemStore::Entry& entry, int column,
                                   const qm::LayoutCatalogue* layouts, const qm::FileTree& tree) {
    const qm::Problem& p = entry.problem;
    switch (column) {
    case Where:
        switch (p.scope) {
        case qm::Problem::Scope::Claim:
            return QStringLiteral("CA0%1").arg(p.position);
        case qm::Problem::Scope::Batch:
            return QStringLiteral("BA0%1").arg(entry.batchPosition);
        case qm::Problem::Scope::File:
            break;
        }
        return QStringLiteral("File");
    case Line:
        return p.line ? QString::number(p.line) : QString();
    case Text: {
        // Of the claim it names, else of its batch.
        std::int64_t node = entry.claimNode;
        if (p.claim < 0 && p.batch >= 0)
            node = tree.findNode("BA0", entry.batchPosition).value_or(-1);
        return node >= 0 ? CoreText::fromFile(tree.text(node)) : QString();
    }
    case Kind:
        return ProblemText::kindName(p.kind);
    case Severity:
        return ProblemText::severityName(p.severity());
    case Rule:
        return CoreText::fromUtf8(qm::ProblemWords::ruleId(entry.row()));
    case Record:
        return CoreText::fromFile(qm::ProblemWords::recordKey(p, layouts));
    case Field:
        return ProblemText::fieldId(p, layouts);
    case Name:
        return ProblemText::fieldName(p, layouts);
    case Found:
        return CoreText::fromUtf8(qm::ProblemWords::shownFound(entry.row(), layouts));
    case Expected:
        return CoreText::fromUtf8(qm::ProblemWords::shownExpected(entry.row(), layouts));
    case PatientName:
        return entry.claimNode >= 0 ? CoreText::fromFile(tree.patientName(entry.claimNode))
                                    : QString();
    case ControlNumber:
        return entry.claimNode >= 0 ? CoreText::fromFile(tree.controlNumber(entry.claimNode))
                                    : QString();
    case FoundStored:
        return ProblemText::found(entry.row());
    case ExpectedStored:
        return ProblemText::expected(entry.row());
    case FoundAmount:
    case ExpectedAmount:
        return amount(entry, column == FoundAmount, layouts);
    case Message: {
        // The line a report prints, without the kind it begins with: the
        // Kind column names it.
        const std::string words = qm::ProblemWords::line(entry.row(), layouts);
        const std::size_t kind = qm::ProblemWords::kindName(p.kind).size() + 2;
        return CoreText::fromUtf8(std::string_view(words).substr(std::min(kind, words.size())));
    }
    default:
        return {};
    }
}

QString ProblemTableModel::amount(const qm::ProblemStore::Entry& entry, bool found,
                                  const qm::LayoutCatalogue* layouts) {
    const qm::Problem& p = entry.problem;
    if (!layouts || p.recordType < 0 || p.field < 0 ||
        p.field >= layouts->at(p.recordType).fieldCount())
        return {};
    const qm::FieldFormat& format = layouts->at(p.recordType).format(p.field);
    if (found)
        return CoreText::fromUtf8(format.amount(entry.row().value));
    return qm::ProblemWords::hasExpected(p.kind) && p.kind != qm::Problem::Kind::FileChanged
               ? CoreText::fromUtf8(format.amount(std::to_string(p.expected)))
               : QString();
}

QString ProblemTableModel::toolTip(const qm::ProblemStore::Entry& entry, int column) const {
    QString tip = ProblemText::line(entry.row(), check_->layouts());
    // What the file holds, where it is shown otherwise.
    const int stored = column == Found ? FoundStored : column == Expected ? ExpectedStored : -1;
    if (stored >= 0) {
        const QString asStored = text(entry, stored).toString();
        if (asStored != text(entry, column).toString())
            tip += QStringLiteral("\nStored as ") + asStored;
    }
    if (column == Record) {
        const std::string key = qm::ProblemWords::recordKey(entry.problem, check_->layouts());
        const std::string_view type = qm::recordTypeName(std::string_view(key).substr(0, 3));
        if (!type.empty())
            tip += QLatin1Char('\n') + CoreText::fromFile(key) + QStringLiteral(" \u2014 ") +
                   CoreText::fromUtf8(type);
    }
    return tip;
}

QVariant ProblemTableModel::data(const QModelIndex& index, int role) const {
    if (!check_ || !store_ || !index.isValid() || index.row() >= rows_)
        return {};
    switch (role) {
    case Qt::DisplayRole:
    case Qt::DecorationRole:
    case Qt::ToolTipRole:
    case ResultsFilterModel::CategoryRole:
    case ResultsFilterModel::SortRole:
        break;
    default:
        return {}; // the roles a delegate asks of every cell, without finding the row
    }
    if (role == Qt::DecorationRole && index.column() != Kind && index.column() != Severity)
        return {};
    // File order is the row's number: no row to read.
    if (role == ResultsFilterModel::SortRole && index.column() == Where)
        return qint64(index.row());
    const qm::ProblemStore::Entry e = entry(index.row());
    const qm::Problem& p = e.problem;
    switch (role) {
    case Qt::DisplayRole:
        return text(e, index.column());
    case Qt::DecorationRole:
        return ProblemIcons::icon(
            index.column() == Severity ? ProblemText::severityMark(p.severity()) : markOf(p));
    case Qt::ToolTipRole:
        return PlainText::toolTip(toolTip(e, index.column()));
    case ResultsFilterModel::CategoryRole:
        if (p.kind == qm::Problem::Kind::Rule)
            return QStringList{ProblemText::kindName(p.kind),
                               categoryOfRule(text(e, Rule).toString())};
        return ProblemText::kindName(p.kind);
    case ResultsFilterModel::SortRole: {
        qint64 value = 0;
        return sortNumber(p, index.column(), value) ? QVariant(value) : QVariant();
    }
    default:
        return {};
    }
}

bool ProblemTableModel::sortNumber(const qm::Problem& p, int column, qint64& value) {
    // Kinds by how serious they are, lines and expected amounts as numbers
    // (rows without one first).
    switch (column) {
    case Line:
        value = p.line;
        return true;
    case Kind:
        value = int(markOf(p)) * qm::Problem::kKindCount + int(p.kind);
        return true;
    case Severity:
        value = int(p.severity()) * kProblemKindCount + int(markOf(p));
        return true;
    case Expected:
        value = qm::ProblemWords::hasExpected(p.kind) ? qint64(p.expected)
                                                      : std::numeric_limits<qint64>::min();
        return true;
    default:
        return false;
    }
}

ResultsSortSource::NumberReader ProblemTableModel::numberReader(int column) const {
    qint64 unused = 0;
    // Rows still arriving are appended on the GUI thread, where a worker may not read them.
    if (!check_ || !store_ || !store_->summary() || !sortNumber(qm::Problem(), column, unused))
        return {};
    return [store = store_, column](int first, int last, qint64* values) {
        qm::ProblemStore::Reader reader(*store, first);
        for (int row = first; row <= last; ++row)
            sortNumber(reader.next().problem, column, *values++);
    };
}

ResultsSortSource::TextReader ProblemTableModel::textReader(int column) const {
    // Columns with sort values are sorted by them; rows still arriving are
    // appended on the GUI thread, where a worker may not read them.
    switch (column) {
    case Where:
    case Line:
    case Kind:
    case Severity:
    case Expected:
        return {};
    default:
        break;
    }
    if (!check_ || !store_ || !store_->summary() || !store_->tree() || column < 0 ||
        column >= ColumnCount)
        return {};
    return [store = store_, layouts = check_->layoutCatalogue(), column](int first, int last,
                                                                         const TakeText& take) {
        qm::ProblemStore::Reader reader(*store, first);
        for (int row = first; row <= last; ++row)
            if (!take(textOf(reader.next(), column, layouts.get(), *store->tree()).toString()))
                return;
    };
}

QVariant ProblemTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation == Qt::Horizontal && role == ResultsFilterModel::ExportOnlyRole)
        return section >= PatientName && section != Message;
    // The rows are in file order.
    if (orientation == Qt::Horizontal && role == ResultsFilterModel::SourceOrderRole)
        return section == Where;
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    if (section < 0 || section >= ColumnCount)
        return {};
    return QString::fromLatin1(kHeaders[section]);
}
