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
    rows_.append(rows);
    endInsertRows();
}

void ClaimListModel::clear() {
    beginResetModel();
    rows_.clear();
    endResetModel();
}

std::string ClaimListModel::key(int row) const {
    return "CA0" + std::to_string(rows_.position(std::size_t(row)));
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
        qm::ClaimListRow words = rows_.words(std::size_t(row), texts);
        words.index = row;
        report.row(words);
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

QString ClaimListModel::text(std::size_t row, int column) const {
    FilteredClaims::Texts texts;
    const qm::ClaimListRow words = rows_.words(row, texts);
    switch (column) {
    case Key:
        return QString::fromStdString(key(int(row)));
    case Patient:
        return CoreText::fromFile(words.patient);
    case ControlNumber:
        return CoreText::fromFile(words.controlNumber);
    case Provider:
        return CoreText::fromFile(words.provider);
    case FirstService:
        return QString::fromStdString(qm::ClaimListReport::date(words.firstService));
    case Lines:
        return QString::number(words.lines);
    case StatedTotal:
        return QString::fromStdString(words_->statedTotal(words, false));
    case LinesTotal:
        return QString::fromStdString(words_->linesTotal(words, false));
    case Problems:
        return QString::number(words.problems);
    default:
        return {};
    }
}

bool ClaimListModel::number(const ClaimListRows& rows, std::size_t row, int column, qint64& value) {
    switch (column) {
    case FirstService:
        value = rows.figure(row, ClaimListRows::FirstService);
        return true;
    case Lines:
        value = rows.figure(row, ClaimListRows::Lines);
        return true;
    case StatedTotal:
        // A claim without a stated total sorts before every amount.
        value = rows.figure(row, ClaimListRows::HasStatedTotal)
                    ? rows.figure(row, ClaimListRows::StatedTotal)
                    : std::numeric_limits<qint64>::min();
        return true;
    case LinesTotal:
        value = rows.figure(row, ClaimListRows::LinesTotal);
        return true;
    case Problems:
        value = rows.figure(row, ClaimListRows::Problems);
        return true;
    default:
        return false;
    }
}

QVariant ClaimListModel::sortValue(std::size_t row, int column) const {
    if (column == Key)
        return qint64(rows_.position(row));
    qint64 value = 0;
    return number(rows_, row, column, value) ? QVariant(value) : QVariant();
}

ResultsSortSource::NumberReader ClaimListModel::numberReader(int column) const {
    if (column < FirstService || column >= ColumnCount)
        return {};
    // The rows the sort begins with, whatever arrives while it runs.
    return [column, rows = rows_](int first, int last, qint64* values) {
        for (auto row = std::size_t(first); row <= std::size_t(last); ++row)
            number(rows, row, column, *values++);
    };
}

QVariant ClaimListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    const auto at = std::size_t(index.row());
    switch (role) {
    case Qt::DisplayRole:
        return text(at, index.column());
    case ResultsFilterModel::SortRole:
        return sortValue(at, index.column());
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
