#pragma once

#include "gui/problems/ProblemKind.h"

#include <QIcon>

// The mark of each kind of problem: the style's critical, warning,
// information and question icons, and a grey no-entry sign for a claim that
// could not be read.
class ProblemIcons {
public:
    static QIcon icon(ProblemKind kind);
};
