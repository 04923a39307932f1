#pragma once

#include "core/layouts/Module1.h"
#include "gui/common/FindState.h"

#include <QPointer>
#include <QString>
#include <string>
#include <vector>

class DocumentArea;

// The application-wide state: the program-wide values of the core and what the
// windows share. One per run (tests make a fresh one per test); every window
// gets a reference to it.
class AppContext {
public:
    AppContext();
    AppContext(const AppContext&) = delete;
    AppContext& operator=(const AppContext&) = delete;

    // FileNumber, FileName, MapFolder, RecordLayouts, ... of the run.
    qm::Module1& module1() { return module1_; }
    const qm::Module1& module1() const { return module1_; }

    // The title of a window about the open file: "what (path)", shown as
    // plain text whatever the path holds.
    QString fileWindowTitle(const QString& what) const;

    // The paths of the claim files that are open, which no export may replace.
    std::vector<std::string> openClaimFiles() const;

    // A file name to offer for an export: beside the open claim file, its
    // name without the extension followed by suffix ("-problems.csv").
    QString besideOpenFile(const QString& suffix) const;

    // The open file's find state, used by its file tree window.
    FindState& findState() { return findState_; }

    // The main window's document area, where document windows open (see
    // DocumentArea::addDocument); nullptr while there is no main window.
    DocumentArea* documents() const;
    void setDocuments(DocumentArea* documents);

private:
    qm::Module1 module1_;
    FindState findState_;
    QPointer<DocumentArea> documents_;
};
