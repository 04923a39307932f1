#pragma once

#include "core/compare/FileComparison.h"
#include "gui/results/ResultsWindow.h"

#include <QPointer>

class CompareFeed;
class CompareModel;
class QComboBox;
class QLabel;
class QPushButton;

// The document's comparison of its file (A) with another (B): one row per
// claim, batch or file header that differs (gridCompare), filled while the
// comparison runs, with filters by kind and by text, the two files named
// above (lblFiles), how claims pair (cboMatch, comparing again when changed)
// and, while it runs, its progress and Cancel (cmdCancelCompare). Enter or a
// double-click on a row asks for the side-by-side view of its two units
// (CompareFeed::openRow).
class frmCompare : public ResultsWindow {
    Q_OBJECT
public:
    // Shows the feed's rows; it closes with the feed's document.
    explicit frmCompare(CompareFeed& feed, QWidget* parent = nullptr);

    CompareModel* model() const { return model_; }
    qm::FileComparison::Match match() const;

private:
    // The files, how they pair and whether the comparison runs, as the feed has them.
    void showFeed();

    QPointer<CompareFeed> feed_;
    CompareModel* model_;
    QLabel* files_ = nullptr;
    QComboBox* match_ = nullptr;
    QPushButton* cancel_ = nullptr;
};
