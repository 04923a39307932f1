#include "gui/common/DocumentArea.h"

#include "gui/common/DocumentWindow.h"
#include "gui/common/WindowPositions.h"

#include <QLayout>
#include <QStyle>
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
    if (growWindow_ && !grown_ && !viewport()->rect().contains(document->geometry()))
        grown_ = growWindow();
    if (firstRun && grown_)
        shareGrownRoom(document);
    // Its first-run place would lay it over the windows open.
    const bool free = !firstRun || placeInFreeRoom(document);
    if (!free && room == Room::FreeOrMinimized) {
        document->showMinimized();
        return document;
    }
    if (!free)
        placeOverLeast(document);
    document->show();
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

QSize DocumentArea::smallestSize(QWidget* document) {
    // What it shows decides, as it will be laid out when shown.
    document->ensurePolished();
    if (auto* frame = qobject_cast<QMdiSubWindow*>(document); frame && frame->widget())
        if (QLayout* layout = frame->widget()->layout())
            layout->activate();
    if (QLayout* layout = document->layout())
        layout->activate();
    return document->minimumSizeHint().expandedTo(document->minimumSize());
}

bool DocumentArea::growWindow() {
    QWidget* top = window();
    if (top == this || top->isMaximized() || top->isMinimized() || top->isFullScreen())
        return false;
    const QRect available = WindowPositions::availableArea(top);
    if (available.isEmpty())
        return false;
    const QSize frameExtra = top->frameGeometry().size() - top->size();
    const QSize around = top->frameGeometry().size() - viewport()->size();
    const QSize share = available.size() * 0.9;
    // A small screen is all needed: the window is maximized, its normal size
    // the whole screen too (where no window manager maximizes it, that is
    // what it shows).
    const bool maximize =
        share.width() < kSmallestGrownSize.width() || share.height() < kSmallestGrownSize.height();
    QRect frame = available;
    if (!maximize) {
        frame.setSize(share.boundedTo(WindowPositions::firstStartRoom(this) + around)
                          .expandedTo(top->frameGeometry().size()));
        frame.moveCenter(available.center());
    }
    top->resize(frame.size() - frameExtra);
    top->move(frame.topLeft());
    if (maximize)
        top->setWindowState(top->windowState() | Qt::WindowMaximized);
    // The document area follows at once: its new size decides where windows go.
    if (QLayout* layout = top->layout())
        layout->activate();
    return true;
}

void DocumentArea::shareGrownRoom(QMdiSubWindow* document) {
    const QSize need = WindowPositions::firstStartRoom(this);
    const QSize room = viewport()->size();
    const double across = std::min(1.0, double(room.width()) / need.width());
    const double down = std::min(1.0, double(room.height()) / need.height());
    const QRect place = document->geometry();
    const QSize smallest = smallestSize(document);
    document->setGeometry(int(place.x() * across), int(place.y() * down),
                          std::max(int(place.width() * across), smallest.width()),
                          std::max(int(place.height() * down), smallest.height()));
}

namespace {

// How many times a pixel of the active window counts when a new window
// must cover some of the others.
constexpr qint64 kActiveWeight = 1000;

// Where a new window may go: beside each window, then below each.
QList<QPoint> placesBeside(const QList<QRect>& others) {
    QList<QPoint> places;
    for (const QRect& other : others)
        places.append(QPoint(other.right() + 1, other.top()));
    for (const QRect& other : others)
        places.append(QPoint(other.left(), other.bottom() + 1));
    return places;
}

// The largest rectangle at place, no larger than size, that lies in area
// and clear of the others; empty when there is none.
QRect freeRoomAt(const QPoint& place, const QSize& size, const QRect& area,
                 const QList<QRect>& others) {
    QRect room(place, size);
    room = room & area;
    if (room.topLeft() != place)
        return QRect();
    for (const QRect& other : others) {
        if (!room.intersects(other))
            continue;
        if (other.left() > place.x())
            room.setRight(other.left() - 1);
        else if (other.top() > place.y())
            room.setBottom(other.top() - 1);
        else
            return QRect();
    }
    return room;
}

} // namespace

bool DocumentArea::placeInFreeRoom(QMdiSubWindow* document) {
    QList<QRect> others;
    const QList<QMdiSubWindow*> windows = subWindowList();
    for (const QMdiSubWindow* window : windows) {
        if (window != document && window->isVisible() && !window->isMinimized())
            others.append(window->geometry());
    }
    if (others.isEmpty())
        return true;
    const QRect area = viewport()->rect();
    const QSize smallest = smallestSize(document);
    const QSize size = document->size().expandedTo(smallest);
    QRect best;
    for (const QPoint& place : placesBeside(others)) {
        const QRect room = freeRoomAt(place, size, area, others);
        if (room.size() == size) {
            document->move(place);
            return true;
        }
        if (room.width() >= smallest.width() && room.height() >= smallest.height() &&
            qint64(room.width()) * room.height() > qint64(best.width()) * best.height())
            best = room;
    }
    if (best.isEmpty())
        return false;
    document->setGeometry(best);
    return true;
}

void DocumentArea::placeOverLeast(QMdiSubWindow* document) {
    QList<QRect> others;
    // The window the user works in (a list whose row opened this one) is
    // covered last: each of its pixels counts as many.
    QList<qint64> weights;
    const QList<QMdiSubWindow*> windows = subWindowList();
    for (const QMdiSubWindow* window : windows) {
        if (window != document && window->isVisible() && !window->isMinimized()) {
            others.append(window->geometry());
            weights.append(window == activeSubWindow() ? kActiveWeight : 1);
        }
    }
    const QRect area = viewport()->rect();
    if (others.isEmpty() || area.isEmpty())
        return;
    QRect best = document->geometry();
    qint64 least = -1;
    for (const QPoint& place : placesBeside(others)) {
        const QRect wanted = WindowPositions::fitInto(QRect(place, document->size()), area);
        qint64 covered = 0;
        for (int i = 0; i < others.size(); ++i) {
            const QRect both = wanted & others.at(i);
            covered += both.isEmpty() ? 0 : weights.at(i) * both.width() * both.height();
        }
        if (least < 0 || covered < least) {
            least = covered;
            best = wanted;
        }
    }
    document->setGeometry(best);
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
    if (document->isMinimized()) {
        document->showNormal();
        // Minimized before the area had room for it, perhaps: in sight now.
        keepInSight(document);
    }
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

QSize DocumentArea::smallestOfAll(const QList<QMdiSubWindow*>& windows) {
    QSize smallest;
    for (QMdiSubWindow* window : windows)
        smallest = smallest.expandedTo(smallestSize(window));
    return smallest;
}

QList<QMdiSubWindow*> DocumentArea::arrangedWindows() const {
    QList<QMdiSubWindow*> windows;
    const QList<QMdiSubWindow*> stack = subWindowList(QMdiArea::StackingOrder);
    for (auto it = stack.crbegin(); it != stack.crend(); ++it) {
        if ((*it)->isVisible() && !(*it)->isMinimized())
            windows.append(*it);
    }
    for (QMdiSubWindow* window : std::as_const(windows)) {
        if (window->isMaximized())
            window->showNormal();
    }
    return windows;
}

namespace {

// Where the i-th of count parts of a length begins and how long it is: an
// equal share, or, where a share is less than least, parts of that length
// laid evenly over the length, overlapping.
std::pair<int, int> share(int i, int count, int length, int least) {
    if (count <= 1 || length / count >= least)
        return {int(qint64(length) * i / count),
                int(qint64(length) * (i + 1) / count - qint64(length) * i / count)};
    const int part = std::min(least, length);
    return {int(qint64(length - part) * i / (count - 1)), part};
}

} // namespace

void DocumentArea::cascade() {
    const QList<QMdiSubWindow*> windows = arrangedWindows();
    const int count = int(windows.size());
    const QRect area = viewport()->rect();
    if (count == 0 || area.isEmpty())
        return;
    const QSize smallest = smallestOfAll(windows);
    // A title bar's height from one to the next, less where the area is too
    // small for that and the windows' smallest size.
    int step =
        style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, windows.constFirst()) +
        style()->pixelMetric(QStyle::PM_MdiSubWindowFrameWidth, nullptr, windows.constFirst());
    if (count > 1)
        step = std::max(0, std::min({step, (area.width() - smallest.width()) / (count - 1),
                                     (area.height() - smallest.height()) / (count - 1)}));
    const QSize size(std::max(area.width() - step * (count - 1), smallest.width()),
                     std::max(area.height() - step * (count - 1), smallest.height()));
    // The bottom one first, so that the active window ends on top, last.
    for (int i = 0; i < count; ++i) {
        QMdiSubWindow* window = windows.at(count - 1 - i);
        window->setGeometry(QRect(area.topLeft() + QPoint(step * i, step * i), size));
        window->raise();
    }
}

void DocumentArea::tile(Qt::Orientation bandDirection) {
    // Topmost first; minimized windows keep their place as icons.
    const QList<QMdiSubWindow*> windows = arrangedWindows();
    const int count = int(windows.size());
    const QRect area = viewport()->rect();
    if (count == 0 || area.isEmpty())
        return;
    const QSize smallest = smallestOfAll(windows);
    const bool stacked = bandDirection == Qt::Vertical;
    const int length = stacked ? area.height() : area.width();
    const int breadth = stacked ? area.width() : area.height();
    const int least = stacked ? smallest.height() : smallest.width();
    const int leastAcross = stacked ? smallest.width() : smallest.height();
    // As many bands as the area has room for; where windows do not fit one
    // each, they share bands side by side, the first bands one more.
    const int bands = std::clamp(length / std::max(least, 1), 1, count);
    int i = 0;
    for (int band = 0; band < bands; ++band) {
        const int inBand = count / bands + (band < count % bands ? 1 : 0);
        const auto [start, size] = share(band, bands, length, least);
        for (int k = 0; k < inBand; ++k, ++i) {
            const auto [from, across] = share(k, inBand, breadth, leastAcross);
            const QRect cell = stacked
                                   ? QRect(area.left() + from, area.top() + start, across, size)
                                   : QRect(area.left() + start, area.top() + from, size, across);
            windows.at(i)->setGeometry(cell);
        }
    }
}
