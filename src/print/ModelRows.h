#pragma once

#include "print/TableDocument.h"
#include "print/TableRows.h"

#include <QPointer>
#include <vector>

class QAbstractItemModel;

// The rows of a list window as it shows them, from its model (the view's
// sort and filter model): its columns' headers, each row's display texts in
// the model's order, every column or those given. The Claim List and the
// Search Results print this way. A model lives on the GUI thread, and so
// must the printing that reads it.
class ModelRows : public TableRows {
public:
    // columns: the model's columns to print, in order; empty: all of them.
    explicit ModelRows(const QAbstractItemModel& model, std::vector<int> columns = {});

    // A section of its own: a title, lines above the rows, and the rows.
    TableDocument::Section section(const QString& title,
                                   std::vector<TableDocument::Line> lines = {}) const;

    int columnCount() const override;
    QString header(int column) const override;
    std::int64_t rowCount() const override;
    QString cell(std::int64_t row, int column) const override;
    Qt::Alignment alignment(int column) const override;

private:
    QPointer<const QAbstractItemModel> model_;
    std::vector<int> columns_;
};
