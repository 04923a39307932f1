#pragma once

#include "gui/problems/ProblemKind.h"

#include <QIcon>

// The mark of each kind of problem, shipped with the program (SVG drawings
// in the resources) so that a theme cannot change what a mark means: a red
// cross for totals that do not compute, a grey no-entry sign for a claim that
// could not be read, a warning sign, a question mark, a blue "i".
class ProblemIcons {
public:
    static QIcon icon(ProblemKind kind);
};
