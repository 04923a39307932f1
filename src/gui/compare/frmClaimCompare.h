#pragma once

#include "gui/compare/CompareRow.h"

#include <QWidget>
#include <array>
#include <memory>
#include <string>

class ClaimCompareModel;
class ClaimDocument;
class QCheckBox;
class QLabel;
class QPushButton;
class QSortFilterProxyModel;
class QTableView;

namespace qm {
class OpenClaimFile;
}

// A claim (or batch, or file header) of file A beside its partner in file
// B: the records of each, read again where the comparison found them, in two
// grids whose rows line up field by field (gridClaimA, gridClaimB, scrolling
// and selecting together), each under a line naming its unit (lblClaimA,
// lblClaimB). The values that differ are marked; Only differences
// (chkOnlyDifferences) hides the rest. A line above them says what differs
// (lblSummary); Show in File Tree (cmdOpenClaim) asks for A's unit to be
// opened in the file tree and the claim form (openRequested). A line the
// units do not show is a row of one line each side.
class frmClaimCompare : public QWidget {
    Q_OBJECT
public:
    struct Files {
        std::shared_ptr<qm::OpenClaimFile> a;
        std::shared_ptr<qm::OpenClaimFile> b;
    };

    explicit frmClaimCompare(QWidget* parent = nullptr);

    // Show in File Tree opens A's unit through the document; the window
    // closes with it.
    void setDocument(ClaimDocument* document);

    // Reads the row's two units from the files and shows them side by side.
    void compare(const Files& files, const CompareRow& row);

    ClaimCompareModel* model() const { return model_; }
    // The rows shown (all, or only those that differ).
    QSortFilterProxyModel* shownRows() const { return shown_; }

signals:
    // The file tree key of A's unit ("CA0967").
    void openRequested(const std::string& key);

private:
    // A row of a line: the line as each file has it, and what it is.
    void compareLine(const Files& files, const CompareRow& row);
    void fitColumns();
    void showFirstDifference();

    ClaimCompareModel* model_ = nullptr;
    QSortFilterProxyModel* shown_ = nullptr;
    QLabel* summary_ = nullptr;
    std::array<QLabel*, 2> titles_{};
    std::array<QTableView*, 2> grids_{};
    QCheckBox* onlyDifferences_ = nullptr;
    QPushButton* open_ = nullptr;
    std::string keyA_;
    int scrolledTo_ = 0;       // where both grids are scrolled to
    int firstDifference_ = -1; // a row still to be scrolled into view
};
