#include "gui/claimform/CopyMenu.h"

#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QMenu>

QAction* CopyMenu::add(QMenu& menu, const char* name, const QString& text, bool enabled,
                       std::function<void()> run) {
    QAction* action = menu.addAction(text);
    action->setObjectName(QLatin1String(name));
    action->setEnabled(enabled);
    QObject::connect(action, &QAction::triggered, &menu, std::move(run));
    return action;
}

void CopyMenu::copy(const QString& text) {
    QGuiApplication::clipboard()->setText(text);
}
