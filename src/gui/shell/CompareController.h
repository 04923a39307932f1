#pragma once

#include "core/compare/FileComparison.h"

#include <QObject>
#include <QPointer>
#include <memory>

class AppContext;
class ClaimNavigator;
class CompareJob;
class QAction;
class frmClaimCompare;
class frmCompare;
class frmMain;

namespace qm {
class OpenClaimFile;
}

// File > Compare With... (mnuFileCompare) compares the open file (A) with
// another the user chooses (B), opened as File > Open opens a file, in the
// comparison window (frmCompare, one at a time), which fills while the
// comparison runs on a worker. Enter or a double-click on a row shows its
// two units side by side (frmClaimCompare), whose Show in File Tree opens
// A's unit as a click on it in the file tree does. File > Export
// Comparison... (mnuFileExportComparison) writes the rows shown as CSV. Both
// windows close with the open file.
class CompareController : public QObject {
    Q_OBJECT
public:
    CompareController(AppContext& context, frmMain& main, ClaimNavigator& navigator);
    ~CompareController() override;

    // The windows while they are open, or nullptr.
    frmCompare* window() const;
    frmClaimCompare* sideBySide() const;

public slots:
    void compareWith();
    void exportComparison();

private:
    void start();
    // Stops the running comparison, if any, without waiting for it.
    void dropJob();
    void finished(const qm::FileComparison::Summary& summary);
    frmCompare* showWindow();
    void openRow(int row);
    void updateCommands();

    AppContext& context_;
    frmMain& main_;
    ClaimNavigator& navigator_;
    QAction* compareCommand_ = nullptr;
    QAction* exportCommand_ = nullptr;
    QPointer<frmCompare> window_;
    QPointer<frmClaimCompare> sideBySide_;
    CompareJob* job_ = nullptr;
    // The two files compared, while the comparison window shows them.
    std::shared_ptr<qm::OpenClaimFile> a_;
    std::shared_ptr<qm::OpenClaimFile> b_;
};
