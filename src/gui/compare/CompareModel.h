#pragma once

#include "gui/compare/CompareRow.h"

#include <QAbstractTableModel>
#include <deque>
#include <vector>

// The rows of a comparison, in the order found: columns Kind, What (claim,
// batch, file header or line), its key in file A and in file B ("line 57"
// for a line), Name (for a line, what it is), Control Number and how many
// fields differ. Texts are made when the view asks;
// keys and counts sort as numbers, and the kind is the row's category.
class CompareModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { Kind, What, KeyA, KeyB, Name, Number, Fields, ColumnCount };

    explicit CompareModel(QObject* parent = nullptr);

    void clear();
    // Adds rows at the end, in one insertion.
    void append(std::vector<CompareRow>&& rows);
    const CompareRow& row(int row) const { return rows_[std::size_t(row)]; }

    // The words a kind is shown with ("Added"), also the category filter's.
    static QString kindText(qm::DifferenceKind kind);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

private:
    // A deque: a growing vector of many rows copied them all at once.
    std::deque<CompareRow> rows_;
};
