#pragma once

#include "core/compare/FileComparison.h"
#include "gui/results/ResultsWindow.h"

class CompareModel;
class QComboBox;
class QLabel;
class QPushButton;

// The comparison of the open file (A) with another (B): one row per claim,
// batch or file header that differs (gridCompare), filled while the
// comparison runs, with filters by kind and by text, the two files named
// above (lblFiles), how claims pair (cboMatch, asking for the comparison
// again when changed) and, while it runs, its progress and Cancel
// (cmdCancelCompare). Enter or a double-click on a row asks for the
// side-by-side view of its two units (rowActivated).
class frmCompare : public ResultsWindow {
    Q_OBJECT
public:
    explicit frmCompare(QWidget* parent = nullptr);

    CompareModel* model() const { return model_; }

    // The paths of A and B, as the user named them.
    void setFiles(const QString& a, const QString& b);
    qm::FileComparison::Match match() const;

    // A comparison has started, progressed, ended.
    void setRunning(bool running);
    void setProgress(int percent);
    void setSummary(const qm::FileComparison::Summary& summary);

signals:
    void cancelRequested();
    void matchChanged();

private:
    CompareModel* model_;
    QLabel* files_ = nullptr;
    QComboBox* match_ = nullptr;
    QPushButton* cancel_ = nullptr;
};
