#pragma once

#include "gui/common/ExportFile.h"

#include <QHash>
#include <QList>
#include <QString>
#include <QVariant>
#include <QWidget>
#include <string>
#include <vector>

class QAbstractItemModel;
class QComboBox;
class QHBoxLayout;
class ElidedLabel;
class ResultsFeed;
class QLabel;
class QLineEdit;
class QTimer;
class ResultsFilterModel;
class ResultsTableView;

// A document window that lists results: the rows of a model in a sortable
// table, a text filter (and, when set, a category filter) above it and the
// count of rows shown beside them (saying so while a new filter is being
// worked out over many rows). Enter or a double-click on a row reports
// it; the rows shown can be written out as CSV. The problems window and the
// field search's results are made of it.
//
//   auto* window = new ResultsWindow(QStringLiteral("frmProblems"),
//                                    QStringLiteral("gridProblems"), model);
//   window->setCategories(QStringLiteral("&Kind:"), {{QStringLiteral("All"), {}}, ...});
//   connect(window, &ResultsWindow::rowActivated, this, &Owner::open);
//
// The source model is a flat table. Its cells answer Qt::DisplayRole (what is
// shown, filtered and exported), and may answer ResultsFilterModel::SortRole
// (what a column sorts by) and, in column 0, ResultsFilterModel::CategoryRole;
// a header answering ResultsFilterModel::ExportOnlyRole marks a column that
// is exported but not shown.
// Controls: txtFilter, cboCategory and its label lblCategory, lblRows,
// lblStatus, and the table under the name given.
class ResultsWindow : public QWidget {
    Q_OBJECT
public:
    struct Category {
        QString text;
        QVariant value; // invalid: every row
    };

    // source becomes the window's unless it has a parent already.
    ResultsWindow(const QString& windowName, const QString& tableName, QAbstractItemModel* source,
                  QWidget* parent = nullptr);
    // The header's signals reach no half-destroyed window while QWidget's
    // destructor hides the table.
    ~ResultsWindow() override;

    ResultsTableView* table() const { return table_; }
    // The rows as shown: filtered and sorted.
    ResultsFilterModel* shownRows() const { return rows_; }
    // The source row behind a row shown, or -1.
    int sourceRow(int shownRow) const;

    // Shows the category filter with these choices (the first is chosen).
    void setCategories(const QString& label, const QList<Category>& categories);
    // Chooses the category of this value; false when there is none such.
    bool chooseCategory(const QVariant& value);
    // A word on the rows beside their count, such as how far the work that
    // finds them has come; empty for none.
    void setStatus(const QString& text);
    // Adds a control of the window's own at the end of the bar above the table.
    void addToBar(QWidget* control, int stretch = 0);
    // Counts the rows shown as part of a whole ("1,204 of 394,537 claims")
    // rather than of the source's rows; whole < 0 goes back to those.
    void setCountOfWhole(qint64 whole, const char* one, const char* many);
    // Says beside the count how the feed's runs go (ResultsFeed::statusText).
    void followFeed(ResultsFeed* feed);
    // Fits the columns to the rows in view again: once the work that finds
    // the rows has ended, rows wider than the first ones may have come.
    void refitColumns();
    // The columns that give up their room first when not all fit (long
    // texts the others explain), before any other is cut, and those never
    // cut (what a row is about): the table scrolls rather.
    void setColumnsGivingWay(const QList<int>& givingWay, const QList<int>& keptWhole = {});
    // A column at least as wide as this text, whatever the rows in view hold
    // (keys grow longer down a file).
    void setWidestText(int column, const QString& text);
    // Writes the rows shown, in the order shown, as CSV to a file the user
    // chooses; see ResultsExport::toFile.
    ExportFile::Written exportShownRows(const QString& dialogName, const QString& caption,
                                        const QString& suggestedPath);

signals:
    // Enter or a double-click on a row (its source row).
    void rowActivated(int sourceRow);

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The grid over the rows, and what follows the rows and the controls.
    void makeTable(const QString& tableName);
    void connectRows(QAbstractItemModel* source);
    void updateCount();
    // Once there are rows: columns as wide as what they show, within reason,
    // and all in the window where they can be: those giving way are cut
    // first, each column at most down to its heading. Until the user sizes
    // a column, they are fitted again as the window's size changes.
    void fitColumns();

    ResultsFilterModel* rows_ = nullptr;
    ResultsTableView* table_ = nullptr;
    QLabel* categoryLabel_ = nullptr;
    QComboBox* category_ = nullptr;
    QLineEdit* filter_ = nullptr;
    QWidget* lastInBar_ = nullptr; // where Tab goes from to the next control added
    QTimer* filterDelay_ = nullptr;
    QLabel* count_ = nullptr;
    ElidedLabel* status_ = nullptr;
    QHBoxLayout* bar_ = nullptr;
    qint64 whole_ = -1;
    const char* wholeOne_ = "";
    const char* wholeMany_ = "";
    bool columnsFitted_ = false;
    bool fitting_ = false;
    bool sizedByUser_ = false;
    QList<int> givingWay_;
    QList<int> keptWhole_;
    QHash<int, QString> widestTexts_;
    QTimer* refit_ = nullptr;
};
