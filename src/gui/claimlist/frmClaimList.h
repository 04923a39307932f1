#pragma once

#include "gui/results/ResultsWindow.h"

#include <QPointer>

class ClaimDocument;
class ClaimFilterJob;
class ClaimListModel;
class FilterBar;

// The claim list of the document's file: a results window (gridClaims) with
// a row a claim (key, patient, control number, provider, first date of
// service, lines, stated total, lines' total, problems), sortable by every
// column, made by a pass of its own over the file on a worker and filled as
// the rows come. The filter bar above it (cboClaimFilter) lists only the
// claims an expression chooses; the count says how many of the file's
// ("1,204 of 394,537 claims"). Enter or a double-click opens a claim as a
// click on it in the tree would.
class frmClaimList : public ResultsWindow {
    Q_OBJECT
public:
    // Starts listing at once; it closes with the document.
    explicit frmClaimList(ClaimDocument& document, QWidget* parent = nullptr);
    ~frmClaimList() override;

    ClaimListModel* model() const { return model_; }
    FilterBar* filterBar() const { return bar_; }
    // The claims are still being listed.
    bool isListing() const;
    // Waits until the claims are listed (tests and tools).
    void waitForListed();
    // Writes the rows shown, in the order shown, as the command line's
    // claim list CSV to a file the user chooses (through ExportFile).
    ExportFile::Written exportClaims(const QString& dialogName, const QString& caption);

signals:
    // Listing started or ended.
    void listingChanged(bool listing);

private:
    void list(const QString& expression);
    void listed();
    void openClaim(int row);

    QPointer<ClaimDocument> document_;
    ClaimListModel* model_ = nullptr;
    FilterBar* bar_ = nullptr;
    ClaimFilterJob* job_ = nullptr;
};
