#pragma once

#include <QStringList>
#include <memory>

class AppContext;
class frmMain;

// The start-up sequence: MapFolder := the current directory, the splash
// window until its timer closes it, then the main window; a claim file named
// on the command line is then opened as File > Open would.
class Startup {
public:
    // arguments: the command line without the program name and Qt's own
    // options; only the first, a file path, is used.
    static std::unique_ptr<frmMain> run(AppContext& context, const QStringList& arguments);
};
