#include "gui/claimlist/ClaimListModel.h"

#include "core/filter/ClaimListReport.h"
#include "gui/common/CoreText.h"
#include "gui/common/ExportProgress.h"
#include "gui/results/ResultsFilterModel.h"

#include <algorithm>
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
    starts_.push_back(size_);
    blocks_.push_back(std::make_shared<const FilteredClaims>(rows));
    size_ += rows.size();
    endInsertRows();
}

void ClaimListModel::clear() {
    beginResetModel();
    blocks_ = {};
    starts_ = {};
    size_ = 0;
    endResetModel();
}

std::string ClaimListModel::key(int row) const {
    const Place kept = place(std::size_t(row));
    return "CA0" + std::to_string(kept.block->position(kept.at));
}

bool ClaimListModel::writeCsv(std::ostream& out, const std::vector<int>& order,
                              ExportProgress& progress) const {
    qm::ClaimListReport report(out, qm::ClaimListReport::Format::Csv, layouts_);
    FilteredClaims::Texts texts;
    progress.watch(*this);
    for (std::size_t i = 0; i < order.size(); ++i) {
        if (!progress.goOn(int(i)))
            return false;
        const int row = order[i];
        const Place kept = place(std::size_t(row));
        qm::ClaimListRow words = kept.block->row(kept.at, texts);
        words.index = row;
        report.row(words);
        if (!out)
            return false;
    }
    report.finish(std::int64_t(order.size()), std::int64_t(order.size()), std::string());
    return bool(out.flush());
}

int ClaimListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(size_);
}

int ClaimListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

ClaimListModel::Place ClaimListModel::place(std::size_t row) const {
    const auto block =
        std::size_t(std::upper_bound(starts_.begin(), starts_.end(), row) - starts_.begin() - 1);
    return Place{blocks_[block].get(), row - starts_[block]};
}

QString ClaimListModel::text(const Place& kept, int column, std::size_t at) const {
    const FilteredClaims::Row& row = kept.block->rows[kept.at];
    FilteredClaims::Texts texts;
    const qm::ClaimListRow words = kept.block->row(kept.at, texts);
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

bool ClaimListModel::number(const FilteredClaims::Row& row, int column, qint64& value) {
    switch (column) {
    case FirstService:
        value = row.firstService;
        return true;
    case Lines:
        value = row.lines;
        return true;
    case StatedTotal:
        // A claim without a stated total sorts before every amount.
        value = row.hasStatedTotal ? row.statedTotal : std::numeric_limits<qint64>::min();
        return true;
    case LinesTotal:
        value = row.linesTotal;
        return true;
    case Problems:
        value = row.problems;
        return true;
    default:
        return false;
    }
}

QVariant ClaimListModel::sortValue(const Place& kept, int column) const {
    if (column == Key)
        return qint64(kept.block->position(kept.at));
    qint64 value = 0;
    return number(kept.block->rows[kept.at], column, value) ? QVariant(value) : QVariant();
}

ResultsSortSource::NumberReader ClaimListModel::numberReader(int column) const {
    qint64 unused = 0;
    if (!number(FilteredClaims::Row(), column, unused))
        return {};
    return [column, blocks = blocks_, starts = starts_](int first, int last, qint64* values) {
        auto block =
            std::size_t(std::upper_bound(starts.begin(), starts.end(), std::size_t(first)) -
                        starts.begin() - 1);
        for (auto row = std::size_t(first); row <= std::size_t(last); ++row) {
            while (block + 1 < starts.size() && row >= starts[block + 1])
                ++block;
            number(blocks[block]->rows[row - starts[block]], column, *values++);
        }
    };
}

QVariant ClaimListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    const auto at = std::size_t(index.row());
    switch (role) {
    case Qt::DisplayRole:
        return text(place(at), index.column(), at);
    case ResultsFilterModel::SortRole:
        return sortValue(place(at), index.column());
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
