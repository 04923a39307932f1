#pragma once

#include "gui/rules/frmRules.h"

#include <QObject>
#include <QPointer>

class AppContext;
class frmMain;

// Tools > Rules... (mnuToolsRules) opens the rules window (frmRules) over the
// main window, about the open file's check; it follows the file opened.
class RulesCommands : public QObject {
    Q_OBJECT
public:
    RulesCommands(AppContext& context, frmMain& main);

    // The rules window while it is open.
    frmRules* window() const { return window_; }

private:
    void showRules();

    AppContext& context_;
    frmMain& main_;
    QPointer<frmRules> window_;
};
