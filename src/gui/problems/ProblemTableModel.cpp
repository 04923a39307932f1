#include "gui/problems/ProblemTableModel.h"

#include "core/filetree/FileTree.h"
#include "gui/common/CoreText.h"
#include "gui/common/PlainText.h"
#include "gui/problems/ProblemCheck.h"
#include "gui/problems/ProblemIcons.h"
#include "gui/problems/ProblemText.h"
#include "gui/results/ResultsFilterModel.h"

#include <iterator>
#include <limits>

namespace {

const char* const kHeaders[] = {"Claim", "Node Text", "Kind",  "Record",
                                "Field", "Name",      "Found", "Expected"};
static_assert(std::size(kHeaders) == ProblemTableModel::ColumnCount);

} // namespace

ProblemTableModel::ProblemTableModel(const ProblemCheck& check, QObject* parent)
    : QAbstractTableModel(parent)
    , check_(&check) {
    connect(&check, &ProblemCheck::marksAdded, this, &ProblemTableModel::addRows);
    connect(&check, &ProblemCheck::aboutToClear, this, [this] {
        beginResetModel();
        rows_ = 0;
    });
    connect(&check, &ProblemCheck::cleared, this, [this] { endResetModel(); });
    connect(&check, &ProblemCheck::closing, this, [this] {
        beginResetModel();
        rows_ = 0;
        check_ = nullptr;
        endResetModel();
    });
    addRows();
}

void ProblemTableModel::addRows() {
    const qint64 rows = check_ ? check_->problems().rowCount() : 0;
    // A view counts rows in int.
    const int all = int(qMin(rows, qint64(std::numeric_limits<int>::max())));
    if (all <= rows_)
        return;
    beginInsertRows(QModelIndex(), rows_, all - 1);
    rows_ = all;
    endInsertRows();
}

qint64 ProblemTableModel::claimNode(int row) const {
    if (!check_ || row < 0 || row >= rows_)
        return -1;
    const ProblemList& list = check_->problems();
    return list.claimNode(list.row(row).claim);
}

int ProblemTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : rows_;
}

int ProblemTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant ProblemTableModel::text(const ProblemList::Item& item, int column) const {
    const ProblemList& list = check_->problems();
    const qm::LayoutCatalogue* layouts = check_->layouts();
    switch (column) {
    case Claim:
        return QString::fromStdString(check_->tree().key(list.claimNode(item.claim)));
    case Text:
        return CoreText::fromFile(check_->tree().text(list.claimNode(item.claim)));
    case Kind:
        return ProblemText::kindName(item.kind);
    case Record:
        return CoreText::fromFile(list.record(item));
    case Field:
        return ProblemText::fieldId(layouts, list, item);
    case Name:
        return ProblemText::fieldName(layouts, list, item);
    case Found:
        return CoreText::fromFile(list.value(item));
    case Expected:
        return ProblemText::expected(list, item);
    default:
        return {};
    }
}

QVariant ProblemTableModel::data(const QModelIndex& index, int role) const {
    if (!check_ || !index.isValid() || index.row() >= rows_)
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
    const ProblemList& list = check_->problems();
    const ProblemList::Item item = list.row(index.row());
    switch (role) {
    case Qt::DisplayRole:
        return text(item, index.column());
    case Qt::DecorationRole:
        return index.column() == Kind ? ProblemIcons::icon(item.kind) : QVariant();
    case Qt::ToolTipRole:
        return PlainText::toolTip(ProblemText::line(check_->layouts(), list, item));
    case ResultsFilterModel::CategoryRole:
        return int(item.kind);
    case ResultsFilterModel::SortRole:
        // Claims in tree order, kinds by how serious they are, totals by amount
        // (rows without one first).
        if (index.column() == Claim)
            return qint64(list.claimNode(item.claim));
        if (index.column() == Kind)
            return int(item.kind);
        if (index.column() == Expected)
            return item.kind == ProblemKind::TotalsDoNotCompute
                       ? qint64(item.expected)
                       : std::numeric_limits<qint64>::min();
        return {};
    default:
        return {};
    }
}

QVariant ProblemTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    if (section < 0 || section >= ColumnCount)
        return {};
    return QString::fromLatin1(kHeaders[section]);
}
