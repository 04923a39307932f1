#pragma once

#include <QString>

// Where the export dialogs start: in the folder the last export went to
// (remembered between runs), or before the first export, and when that
// folder is gone, beside the claim file.
class ExportFolder {
public:
    // The file an export offers: besideClaimFile's name in the last export
    // folder, or besideClaimFile itself.
    static QString suggest(const QString& besideClaimFile);
    // An export was written to path: its folder is the next one offered.
    static void remember(const QString& path);
};
