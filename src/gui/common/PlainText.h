#pragma once

#include <QString>

// Text from outside the program (file names, what files hold) put where Qt
// would otherwise read markup into it. Labels take Qt::PlainText instead.
class PlainText {
public:
    // A menu entry: '&' stays a character instead of marking an access key.
    static QString menuText(const QString& text);
    // A window caption: "[*]" stays a character instead of being Qt's
    // placeholder for the modified mark.
    static QString windowTitle(const QString& text);
    // The caption a window shows for a title made by windowTitle().
    static QString shownTitle(const QString& title);
    // A tooltip: shown as it is, never as rich text.
    static QString toolTip(const QString& text);
};
