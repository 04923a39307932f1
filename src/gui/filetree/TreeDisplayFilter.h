#pragma once

#include <QObject>
#include <QString>
#include <cstdint>
#include <memory>
#include <vector>

class ClaimDocument;
class ClaimFilterJob;
class FileTreeModel;
class FilterBar;
class QLabel;
class QProgressBar;
class QToolButton;

// The file tree's display filter: the expression typed in its bar
// (cboDisplayFilter) chooses the claims the tree shows, under their batches
// and the file headers. It is weighed on a worker over the document's claims
// (progress and Cancel under the bar) while the tree goes on showing what
// it showed; then the tree shows the claims chosen and a line under the bar
// says how many ("Showing 1,204 of 394,537 claims"). With "Only claims with problems"
// on, only those of the claims chosen that have problems are shown.
class TreeDisplayFilter : public QObject {
    Q_OBJECT
public:
    // The bar and the row of its state are for the window to place.
    TreeDisplayFilter(ClaimDocument& document, FileTreeModel& model, QWidget* parent);
    ~TreeDisplayFilter() override;

    FilterBar* bar() const { return bar_; }
    // What the filter shows ("Showing 4 of 6 claims") and, while it runs,
    // its progress and Cancel, for the window to place under the bar; shown
    // only while a filter is applied.
    QWidget* stateRow() const { return row_; }
    // A filter is applied (or being worked out).
    bool isActive() const { return !expression_.isEmpty(); }
    bool isRunning() const;
    // "Only claims with problems" changed; true when the filter shows it (a
    // filter is applied), false when the tree's own problems-only mode must.
    bool setProblemsOnly(bool on);
    // Every claim again: the bar cleared, the run stopped.
    void clear();

signals:
    // The filter was cleared: the tree shows what it shows without one.
    void cleared();

private:
    void apply(const QString& expression);
    void run();
    void ended();
    void showState();

    ClaimDocument& document_;
    FileTreeModel& model_;
    FilterBar* bar_ = nullptr;
    ClaimFilterJob* job_ = nullptr;
    QWidget* row_ = nullptr;
    QLabel* shown_ = nullptr;
    QProgressBar* progress_ = nullptr;
    QToolButton* cancel_ = nullptr;
    QString expression_;
    bool problemsOnly_ = false;
    std::vector<std::int64_t> found_; // the nodes of the run going
};
