#include "gui/claimlist/ClaimListModel.h"

#include "core/filter/ClaimListReport.h"
#include "gui/common/CoreText.h"
#include "gui/results/ResultsFilterModel.h"

#include <limits>
#include <ostream>

namespace {

// The words are asked of the report, never written: its header goes nowhere.
std::ostream& nowhere() {
    static std::ostream stream(nullptr);
    return stream;
}

const char* const kHeadings[ClaimListModel::ColumnCount] = {
    "Key",   "Patient",      "Control Number", "Provider", "First Date of Service",
    "Lines", "Stated Total", "Lines' Total",   "Problems"};

} // namespace

ClaimListModel::ClaimListModel(std::shared_ptr<const qm::LayoutCatalogue> layouts, QObject* parent)
    : QAbstractTableModel(parent)
    , layouts_(std::move(layouts))
    , words_(std::make_unique<qm::ClaimListReport>(nowhere(), qm::ClaimListReport::Format::Text,
                                                   layouts_)) {
}

ClaimListModel::~ClaimListModel() = default;

void ClaimListModel::append(const FilteredClaims& rows) {
    if (rows.rows.empty())
        return;
    const int first = rowCount();
    beginInsertRows({}, first, first + int(rows.size()) - 1);
    rows_.append(rows);
    endInsertRows();
}

void ClaimListModel::clear() {
    beginResetModel();
    rows_ = FilteredClaims();
    endResetModel();
}

std::string ClaimListModel::key(int row) const {
    return "CA0" + std::to_string(rows_.position(std::size_t(row)));
}

bool ClaimListModel::writeCsv(std::ostream& out, const std::vector<int>& order) const {
    qm::ClaimListReport report(out, qm::ClaimListReport::Format::Csv, layouts_);
    FilteredClaims::Texts texts;
    for (const int row : order) {
        report.row(rows_.row(std::size_t(row), texts));
        if (!out)
            return false;
    }
    report.finish(std::int64_t(order.size()), std::int64_t(order.size()), std::string());
    return bool(out.flush());
}

int ClaimListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(rows_.size());
}

int ClaimListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

QString ClaimListModel::text(const FilteredClaims::Row& row, int column, std::size_t at) const {
    FilteredClaims::Texts texts;
    const qm::ClaimListRow words = rows_.row(at, texts);
    switch (column) {
    case Key:
        return QString::fromStdString(key(int(at)));
    case Patient:
        return CoreText::fromFile(words.patient);
    case ControlNumber:
        return CoreText::fromFile(words.controlNumber);
    case Provider:
        return CoreText::fromFile(words.provider);
    case FirstService:
        return QString::fromStdString(qm::ClaimListReport::date(row.firstService));
    case Lines:
        return QString::number(row.lines);
    case StatedTotal:
        return QString::fromStdString(words_->statedTotal(words, false));
    case LinesTotal:
        return QString::fromStdString(words_->linesTotal(words, false));
    case Problems:
        return QString::number(row.problems);
    default:
        return {};
    }
}

QVariant ClaimListModel::sortValue(const FilteredClaims::Row& row, int column,
                                   std::size_t at) const {
    switch (column) {
    case Key:
        return qint64(rows_.position(at));
    case FirstService:
        return qint64(row.firstService);
    case Lines:
        return qint64(row.lines);
    case StatedTotal:
        // A claim without a stated total sorts before every amount.
        return row.hasStatedTotal ? qint64(row.statedTotal) : std::numeric_limits<qint64>::min();
    case LinesTotal:
        return qint64(row.linesTotal);
    case Problems:
        return qint64(row.problems);
    default:
        return {};
    }
}

QVariant ClaimListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    const auto at = std::size_t(index.row());
    const FilteredClaims::Row& row = rows_.rows[at];
    switch (role) {
    case Qt::DisplayRole:
        return text(row, index.column(), at);
    case ResultsFilterModel::SortRole:
        return sortValue(row, index.column(), at);
    case Qt::TextAlignmentRole:
        return index.column() >= Lines ? QVariant(Qt::AlignRight | Qt::AlignVCenter) : QVariant();
    default:
        return {};
    }
}

QVariant ClaimListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 || section >= ColumnCount)
        return QAbstractTableModel::headerData(section, orientation, role);
    if (role == Qt::DisplayRole)
        return QString::fromLatin1(kHeadings[section]);
    // The rows come in file order, the keys' order.
    if (role == ResultsFilterModel::SourceOrderRole)
        return section == Key;
    return {};
}
