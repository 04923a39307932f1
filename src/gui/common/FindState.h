#pragma once

#include <QString>

// What the file tree's Find remembers for the open file: the text confirmed
// last in the find dialog (shown there again the next time) and the 1-based
// index of the last hit in the file tree (0 right after the tree was built).
struct FindState {
    QString SearchText;
    qint64 FindIndex = 0;
};
