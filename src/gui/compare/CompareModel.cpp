#include "gui/compare/CompareModel.h"

#include "gui/common/CoreText.h"
#include "gui/results/ResultsFilterModel.h"

CompareModel::CompareModel(QObject* parent)
    : QAbstractTableModel(parent) {
}

void CompareModel::clear() {
    beginResetModel();
    rows_ = {};
    endResetModel();
}

void CompareModel::append(std::vector<CompareRow>&& rows) {
    if (rows.empty())
        return;
    const int first = int(rows_.size());
    beginInsertRows(QModelIndex(), first, first + int(rows.size()) - 1);
    rows_.insert(rows_.end(), std::make_move_iterator(rows.begin()),
                 std::make_move_iterator(rows.end()));
    endInsertRows();
}

QString CompareModel::kindText(qm::DifferenceKind kind) {
    QString text = QString::fromLatin1(qm::kindWord(kind));
    text[0] = text[0].toUpper();
    return text;
}

int CompareModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(rows_.size());
}

int CompareModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant CompareModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= int(rows_.size()))
        return {};
    const CompareRow& row = rows_[std::size_t(index.row())];
    if (role == ResultsFilterModel::CategoryRole)
        return int(row.kind);
    if (role == ResultsFilterModel::SortRole) {
        switch (index.column()) {
        case KeyA:
            return qlonglong(row.a.position); // file order, not text order
        case KeyB:
            return qlonglong(row.b.position);
        case Fields:
            return row.fields;
        default:
            return {};
        }
    }
    if (role != Qt::DisplayRole && role != Qt::ToolTipRole)
        return {};
    switch (index.column()) {
    case Kind:
        return kindText(row.kind);
    case What: {
        QString what = QString::fromLatin1(qm::unitWord(row.unit));
        what[0] = what[0].toUpper();
        return what;
    }
    case KeyA:
        return QString::fromStdString(row.a.key(row.unit));
    case KeyB:
        return QString::fromStdString(row.b.key(row.unit));
    case Name:
        return CoreText::fromFile(row.name);
    case Number:
        return CoreText::fromFile(row.number);
    case Fields:
        // Added and removed units have no fields compared, and a line none.
        return row.a.present() && row.b.present() && row.unit != qm::CompareUnit::Line
                   ? QVariant(row.fields)
                   : QVariant();
    default:
        return {};
    }
}

QVariant CompareModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    static const char* const kTitles[] = {"Kind", "What",           "Key in A", "Key in B",
                                          "Name", "Control Number", "Fields"};
    return section >= 0 && section < ColumnCount ? QString::fromLatin1(kTitles[section])
                                                 : QVariant();
}
