#pragma once

#include "gui/document/ProblemKind.h"

#include <QColor>
#include <QIcon>

// The mark of each kind of problem, shipped with the program (SVG drawings
// in the resources) so that a theme cannot change what a mark means: a red
// cross for totals that do not compute, a grey no-entry sign for a claim that
// could not be read, a warning sign, a question mark, a blue "i"; a rule's
// finding a flag by its severity: red for an error, amber a warning, blue a note.
class ProblemIcons {
public:
    static QIcon icon(ProblemKind kind);
    // The mark's own colour, for what stands for it elsewhere (a chart's bar).
    static QColor color(ProblemKind kind);
};
