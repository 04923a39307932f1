#pragma once

#include "core/check/ProblemStore.h"
#include "gui/results/ResultsSortSource.h"

#include <QAbstractTableModel>
#include <QPointer>
#include <memory>
#include <optional>

class ProblemCheck;

// The problems of a check as a table, one row per problem in file order,
// the rows of `check --json`'s flat list: where it is (File, the batch's
// key, the claim's key), its line, the node text of its claim or batch, the
// kind, its severity and rule (a rule's row), the record, field number and name, what was found and
// what was expected (money as money where the field's format says so, the stored digits in the
// tooltip). Exported only (ResultsFilterModel::ExportOnlyRole): the claim's patient name and
// control number, and what was found and expected as stored, and money found and expected in
// dollars (157.51), for a spreadsheet to sum. Rows are added as the check finds them and read from
// its store as the view asks; the kind's name is each row's ResultsFilterModel::CategoryRole, and a
// rule's row also has categoryOfRule of its rule's id. Once the check has ended,
// its texts are read on workers for a sort (ResultsSortSource).
class ProblemTableModel : public QAbstractTableModel, public ResultsSortSource {
    Q_OBJECT
public:
    enum Column {
        Where,
        Line,
        Text,
        Kind,
        Severity,
        Rule,
        Record,
        Field,
        Name,
        Found,
        Expected,
        PatientName,
        ControlNumber,
        FoundStored,
        ExpectedStored,
        FoundAmount,
        ExpectedAmount,
        // The row's words as the command line prints them: a rule's message.
        Message,
        ColumnCount
    };

    explicit ProblemTableModel(const ProblemCheck& check, QObject* parent = nullptr);

    // The category that chooses the rows of one rule.
    static QString categoryOfRule(const QString& id);

    // The store row behind a table row (the same number), or -1.
    qint64 storeRow(int row) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    TextReader textReader(int column) const override;
    NumberReader numberReader(int column) const override;

private:
    // What a row sorts by in a column of numbers; false for another column.
    static bool sortNumber(const qm::Problem& problem, int column, qint64& value);
    void addRows();
    void reset(bool checkGoes);
    QVariant text(const qm::ProblemStore::Entry& entry, int column) const;
    // What a cell shows, from what any thread may read.
    static QVariant textOf(const qm::ProblemStore::Entry& entry, int column,
                           const qm::LayoutCatalogue* layouts, const qm::FileTree& tree);
    QString toolTip(const qm::ProblemStore::Entry& entry, int column) const;
    // What was found or expected in a money field, in dollars; empty for others.
    static QString amount(const qm::ProblemStore::Entry& entry, bool found,
                          const qm::LayoutCatalogue* layouts);
    qm::ProblemStore::Entry entry(int row) const;

    QPointer<const ProblemCheck> check_;
    // The store the rows are read from: the check's of the run shown.
    std::shared_ptr<const qm::ProblemStore> store_;
    // Reads on from the row asked last: a view asks for rows in order.
    mutable std::optional<qm::ProblemStore::Reader> reader_;
    mutable int readRow_ = -1;
    mutable qm::ProblemStore::Entry read_;
    // The rows shown so far: the store may already hold more.
    int rows_ = 0;
};
