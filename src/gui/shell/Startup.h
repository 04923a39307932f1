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
    // arguments: the claim files named on the command line; only the first is
    // opened. mapsDir: the --maps folder, looked in first for map files, or empty.
    static std::unique_ptr<frmMain> run(AppContext& context, const QStringList& arguments,
                                        const QString& mapsDir = QString());
};
