#pragma once

#include "core/compare/UnitComparer.h"

#include <QAbstractTableModel>
#include <array>
#include <vector>

// Two units side by side, a row for each field of each of their records as
// UnitComparer::align pairs them: columns Record, Field, Name and Value for
// file A, then the same for file B, a side that lacks the record or the
// field leaving its cells empty. The Value cells of a row whose values
// differ are marked (on the sides that have the field), and DiffersRole (any
// column) says whether they do.
class ClaimCompareModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { RecordA, FieldA, NameA, ValueA, RecordB, FieldB, NameB, ValueB, ColumnCount };
    static constexpr int kSideColumns = 4;
    static constexpr int DiffersRole = Qt::UserRole + 1;

    explicit ClaimCompareModel(QObject* parent = nullptr);

    // Shows these fields, named by the comparer's two sets of layouts.
    void setFields(const std::vector<qm::AlignedField>& fields, const qm::UnitComparer& comparer);
    // Shows a line as each file has it (a side that lacks it left empty), marked.
    void setLine(const qm::UnitPlace& a, const qm::UnitPlace& b);
    void clear();
    int differingRows() const { return differing_; }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

private:
    struct Row {
        std::array<QString, ColumnCount> cells;
        std::array<bool, 2> present{}; // the side has the field
        bool differs = false;
    };
    std::vector<Row> rows_;
    int differing_ = 0;
};
