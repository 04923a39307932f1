#pragma once

#include "gui/problems/ProblemList.h"

#include <QAbstractTableModel>
#include <QPointer>

class ProblemCheck;

// The problems of a check as a table, one row per problem in tree order:
// the claim's key and node text, the kind, the record, field number and name,
// the value found and, for totals, the value expected. Rows are added as the
// check finds them; the kind is each row's ResultsFilterModel::CategoryRole.
class ProblemTableModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { Claim, Text, Kind, Record, Field, Name, Found, Expected, ColumnCount };

    explicit ProblemTableModel(const ProblemCheck& check, QObject* parent = nullptr);

    // The file tree node of a row's claim, or -1.
    qint64 claimNode(int row) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

private:
    void addRows();
    QVariant text(const ProblemList::Item& item, int column) const;

    QPointer<const ProblemCheck> check_;
    // The rows shown so far: the list may already hold more.
    int rows_ = 0;
};
