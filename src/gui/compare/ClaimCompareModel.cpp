#include "gui/compare/ClaimCompareModel.h"

#include "gui/common/CoreText.h"

#include <QBrush>
#include <QColor>
#include <QFont>

namespace {

// A value that differs: dark text on amber, bold, as a reviewer's marker would.
const QColor kDifferingBackground(255, 214, 102);
const QColor kDifferingText(40, 30, 0);

} // namespace

ClaimCompareModel::ClaimCompareModel(QObject* parent)
    : QAbstractTableModel(parent) {
}

void ClaimCompareModel::clear() {
    beginResetModel();
    rows_ = {};
    differing_ = 0;
    endResetModel();
}

void ClaimCompareModel::setFields(const std::vector<qm::AlignedField>& fields,
                                  const qm::UnitComparer& comparer) {
    beginResetModel();
    rows_.clear();
    differing_ = 0;
    for (const qm::AlignedField& field : fields) {
        Row row;
        row.differs = field.differs;
        differing_ += field.differs ? 1 : 0;
        const std::array<std::pair<const qm::LayoutCatalogue*, int>, 2> sides{
            std::make_pair(&comparer.layoutsA(), field.fieldA),
            std::make_pair(&comparer.layoutsB(), field.fieldB)};
        const std::array<std::string_view, 2> values{field.a, field.b};
        const std::array<bool, 2> present{field.inA, field.inB};
        for (int side = 0; side < 2; ++side) {
            const auto [layouts, index] = sides[std::size_t(side)];
            if (!present[std::size_t(side)] || index < 0)
                continue;
            row.present[std::size_t(side)] = true;
            const qm::FieldDef& def = layouts->at(field.typeIndex).field(index);
            const int first = side * kSideColumns;
            row.cells[std::size_t(first + RecordA)] = CoreText::fromFile(field.record);
            row.cells[std::size_t(first + FieldA)] = CoreText::fromFile(def.FieldId);
            row.cells[std::size_t(first + NameA)] = CoreText::fromFile(def.FieldName).trimmed();
            row.cells[std::size_t(first + ValueA)] = CoreText::fromFile(values[std::size_t(side)]);
        }
        rows_.push_back(std::move(row));
    }
    endResetModel();
}

void ClaimCompareModel::setLine(const qm::UnitPlace& a, const qm::UnitPlace& b) {
    beginResetModel();
    rows_.clear();
    Row row;
    row.differs = true;
    differing_ = 1;
    const std::array<const qm::UnitPlace*, 2> places{&a, &b};
    for (int side = 0; side < 2; ++side) {
        const qm::UnitPlace& place = *places[std::size_t(side)];
        if (!place.present())
            continue;
        row.present[std::size_t(side)] = true;
        const int first = side * kSideColumns;
        row.cells[std::size_t(first + RecordA)] = QStringLiteral("Line %1").arg(place.line);
        row.cells[std::size_t(first + ValueA)] = CoreText::fromFile(place.text);
    }
    rows_.push_back(std::move(row));
    endResetModel();
}

int ClaimCompareModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(rows_.size());
}

int ClaimCompareModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant ClaimCompareModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= int(rows_.size()))
        return {};
    const Row& row = rows_[std::size_t(index.row())];
    const bool value = index.column() == ValueA || index.column() == ValueB;
    const bool marked =
        row.differs && value && row.present[std::size_t(index.column() / kSideColumns)];
    switch (role) {
    case Qt::DisplayRole:
    case Qt::ToolTipRole:
        return row.cells[std::size_t(index.column())];
    case DiffersRole:
        return row.differs;
    case Qt::BackgroundRole:
        return marked ? QVariant(QBrush(kDifferingBackground)) : QVariant();
    case Qt::ForegroundRole:
        return marked ? QVariant(QBrush(kDifferingText)) : QVariant();
    case Qt::FontRole: {
        if (!marked)
            return {};
        QFont bold;
        bold.setBold(true);
        return bold;
    }
    default:
        return {};
    }
}

QVariant ClaimCompareModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 ||
        section >= ColumnCount)
        return {};
    static const char* const kTitles[] = {"Record", "Field", "Name", "Value"};
    return QString::fromLatin1(kTitles[section % kSideColumns]);
}
