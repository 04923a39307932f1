#pragma once

#include <QString>
#include <functional>

class QAction;
class QMenu;

// The claim form's context menus: commands named for the tests and the
// screenshot scenes, most of which put a text on the clipboard.
class CopyMenu {
public:
    static QAction* add(QMenu& menu, const char* name, const QString& text, bool enabled,
                        std::function<void()> run);
    static void copy(const QString& text);
};
