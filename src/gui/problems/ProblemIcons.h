#pragma once

#include "gui/problems/ProblemList.h"

#include <QIcon>

// The mark of each kind of problem: the style's critical, warning,
// information and question icons, and a stop sign for an unreadable claim.
class ProblemIcons {
public:
    static QIcon icon(ProblemKind kind);
};
