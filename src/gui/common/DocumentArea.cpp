#include "gui/common/DocumentArea.h"

#include "gui/common/DocumentWindow.h"
#include "gui/common/WindowPositions.h"

#include <QScreen>
#include <algorithm>

DocumentArea::DocumentArea(QWidget* parent)
    : QMdiArea(parent) {
    setObjectName(QStringLiteral("mdiArea"));
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
}

DocumentWindow* DocumentArea::addDocument(QWidget* content, Room room) {
    auto* document = new DocumentWindow(content);
    addSubWindow(document);
    const bool firstRun = !WindowPositions::isStored(document->windowName());
    WindowPositions::restore(document, document->windowName());
    // Its first-run place would lay it over the windows open.
    const bool free = !firstRun || placeBesideOthers(document);
    if (!free && room == Room::FreeOrMinimized) {
        document->showMinimized();
        return document;
    }
    document->show();
    if (!growWindow_ || !growWindowFor(document))
        keepInSight(document);
    setActiveSubWindow(document);
    focusContent(document);
    return document;
}

void DocumentArea::focusContent(QMdiSubWindow* document) {
    QWidget* content = document->widget();
    if (!content || content->isAncestorOf(document->window()->focusWidget()))
        return;
    QWidget* target = content;
    for (QWidget* next = content->nextInFocusChain(); next && next != content;
         next = next->nextInFocusChain()) {
        if (!content->isAncestorOf(next))
            break;
        if ((next->focusPolicy() & Qt::TabFocus) && next->isEnabled() &&
            next->isVisibleTo(content)) {
            target = next;
            break;
        }
    }
    target->setFocus(Qt::OtherFocusReason);
}

void DocumentArea::setGrowWindowForDocuments(bool grow) {
    growWindow_ = grow;
}

void DocumentArea::keepInSight(QMdiSubWindow* document) {
    const QRect area = viewport()->rect();
    if (area.isEmpty())
        return;
    const QRect fitted = WindowPositions::fitInto(document->geometry(), area);
    if (fitted != document->geometry())
        document->setGeometry(fitted);
}

bool DocumentArea::placeBesideOthers(QMdiSubWindow* document) {
    QList<QRect> others;
    const QList<QMdiSubWindow*> windows = subWindowList();
    for (const QMdiSubWindow* window : windows) {
        if (window != document && window->isVisible() && !window->isMinimized())
            others.append(window->geometry());
    }
    if (others.isEmpty())
        return true;
    // How far the area reaches: as it is, or as far as the main window may grow.
    QSize reach = viewport()->size();
    QWidget* top = window();
    if (growWindow_ && top != this && !top->isMaximized() && !top->isFullScreen()) {
        const QSize around = top->frameGeometry().size() - viewport()->size();
        reach = reach.expandedTo(top->screen()->availableGeometry().size() - around);
    }
    const QRect room(QPoint(0, 0), reach);
    const QSize size = document->size();
    // Beside each window first, then below each.
    QList<QPoint> places;
    for (const QRect& other : std::as_const(others))
        places.append(QPoint(other.right() + 1, other.top()));
    for (const QRect& other : std::as_const(others))
        places.append(QPoint(other.left(), other.bottom() + 1));
    for (const QPoint& place : std::as_const(places)) {
        const QRect wanted(place, size);
        const bool free = std::none_of(others.cbegin(), others.cend(), [&](const QRect& other) {
            return other.intersects(wanted);
        });
        if (free && room.contains(wanted)) {
            document->move(place);
            return true;
        }
    }
    return false;
}

bool DocumentArea::growWindowFor(QMdiSubWindow* document) {
    QWidget* top = window();
    if (top == this || top->isMaximized() || top->isMinimized() || top->isFullScreen())
        return false;
    const QRect wanted = document->geometry();
    const int wider = std::max(0, wanted.right() + 1 - viewport()->width());
    const int taller = std::max(0, wanted.bottom() + 1 - viewport()->height());
    if (wider == 0 && taller == 0)
        return true;
    // Grow the main window, as far as its screen allows, so that a new document
    // window is not hidden behind the edges of a small document area.
    const QRect available = top->screen()->availableGeometry();
    const QSize frameExtra = top->frameGeometry().size() - top->size();
    const int width = std::min(top->width() + wider, available.width() - frameExtra.width());
    const int height = std::min(top->height() + taller, available.height() - frameExtra.height());
    const QSize grown(std::max(width, top->width()), std::max(height, top->height()));
    // What the screen cannot make room for, the window gives up: on a small
    // screen a first-run window shrinks to the area rather than hang out of it.
    const QRect reach(QPoint(0, 0), viewport()->size() + (grown - top->size()));
    if (!reach.contains(wanted))
        document->setGeometry(WindowPositions::fitInto(wanted, reach));
    top->resize(grown);
    QRect frame = top->frameGeometry();
    frame.moveRight(std::min(frame.right(), available.right()));
    frame.moveBottom(std::min(frame.bottom(), available.bottom()));
    if (frame.topLeft() != top->frameGeometry().topLeft())
        top->move(frame.topLeft());
    return true;
}

DocumentWindow* DocumentArea::findDocument(const QString& windowName) const {
    const QList<QMdiSubWindow*> windows = subWindowList();
    for (QMdiSubWindow* window : windows) {
        auto* document = qobject_cast<DocumentWindow*>(window);
        if (document && document->windowName() == windowName)
            return document;
    }
    return nullptr;
}

void DocumentArea::activateDocument(QMdiSubWindow* document) {
    if (document->isMinimized())
        document->showNormal();
    setActiveSubWindow(document);
    document->raise();
    focusContent(document);
}

bool DocumentArea::activateContent(const QWidget* content) {
    auto* document = content ? qobject_cast<QMdiSubWindow*>(content->parentWidget()) : nullptr;
    if (!document)
        return false;
    activateDocument(document);
    return true;
}

bool DocumentArea::closeAllDocuments() {
    closeAllSubWindows();
    return subWindowList().isEmpty();
}

void DocumentArea::tileHorizontally() {
    tile(Qt::Vertical);
}

void DocumentArea::tileVertically() {
    tile(Qt::Horizontal);
}

void DocumentArea::tile(Qt::Orientation bandDirection) {
    // Topmost first; minimized windows keep their place as icons.
    QList<QMdiSubWindow*> windows;
    const QList<QMdiSubWindow*> stack = subWindowList(QMdiArea::StackingOrder);
    for (auto it = stack.crbegin(); it != stack.crend(); ++it) {
        if ((*it)->isVisible() && !(*it)->isMinimized())
            windows.append(*it);
    }
    const qsizetype count = windows.size();
    if (count == 0)
        return;
    for (QMdiSubWindow* window : std::as_const(windows)) {
        if (window->isMaximized())
            window->showNormal();
    }
    const QRect area = viewport()->rect();
    for (qsizetype i = 0; i < count; ++i) {
        QMdiSubWindow* window = windows.at(i);
        if (bandDirection == Qt::Vertical) {
            const int top = area.top() + int(area.height() * i / count);
            const int bottom = area.top() + int(area.height() * (i + 1) / count);
            window->setGeometry(area.left(), top, area.width(), bottom - top);
        } else {
            const int left = area.left() + int(area.width() * i / count);
            const int right = area.left() + int(area.width() * (i + 1) / count);
            window->setGeometry(left, area.top(), right - left, area.height());
        }
    }
}
