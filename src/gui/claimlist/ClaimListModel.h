#pragma once

#include "gui/claimlist/ClaimListRows.h"
#include "gui/results/ResultsSortSource.h"

#include <QAbstractTableModel>
#include <memory>
#include <vector>

class ExportProgress;

namespace qm {
class ClaimListReport;
class LayoutCatalogue;
} // namespace qm

// The claim list as a table: one row a claim, in file order, with the
// columns the command line's claim list has. Money in its field's format
// ("$1,600.50"), dates as 2003-03-01; every column sorts by its value (keys
// by position, money and counts as numbers, a claim without a stated total
// first). Rows are appended as a pass hands them on; those in the list when a
// sort begins never change, so workers read a sort's numbers from a snapshot.
class ClaimListModel : public QAbstractTableModel, public ResultsSortSource {
    Q_OBJECT
public:
    enum Column {
        Key,
        Patient,
        ControlNumber,
        Provider,
        FirstService,
        Lines,
        StatedTotal,
        LinesTotal,
        Problems,
        ColumnCount
    };

    explicit ClaimListModel(std::shared_ptr<const qm::LayoutCatalogue> layouts,
                            QObject* parent = nullptr);
    ~ClaimListModel() override;

    void append(const FilteredClaims& rows);
    // No rows (a reset).
    void clear();
    // "CA0" and the claim's position: its key in the tree.
    std::string key(int row) const;
    // Writes the rows given (source rows, in that order) as the command
    // line's claim list CSV; false when out failed.
    bool writeCsv(std::ostream& out, const std::vector<int>& order, ExportProgress& progress) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    // Its texts are the tree's, read on the GUI thread: numbers alone.
    NumberReader numberReader(int column) const override;

private:
    QString text(std::size_t row, int column) const;
    QVariant sortValue(std::size_t row, int column) const;
    // What a row of a column of numbers sorts by; false for another column.
    static bool number(const ClaimListRows& rows, std::size_t row, int column, qint64& value);

    std::shared_ptr<const qm::LayoutCatalogue> layouts_;
    // Words money in its fields' formats, as the command line's list does.
    std::unique_ptr<qm::ClaimListReport> words_;
    ClaimListRows rows_;
};
