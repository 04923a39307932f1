#include "gui/search/ClearPlace.h"

#include <QSize>
#include <limits>

namespace {

qint64 covered(const QRect& place, const QList<QRect>& keep) {
    qint64 total = 0;
    for (const QRect& window : keep) {
        const QRect both = place & window;
        total += qint64(both.width()) * both.height();
    }
    return total;
}

} // namespace

QPoint ClearPlace::of(const QRect& current, const QList<QRect>& keep, const QRect& main,
                      const QRect& area, const QRect& screen) {
    if (covered(current, keep) == 0)
        return current.topLeft();
    const QSize size = current.size();
    const QList<QPoint> candidates{
        {area.right() + 1 - size.width(), area.top()},
        {area.right() + 1 - size.width(), area.bottom() + 1 - size.height()},
        {area.left(), area.bottom() + 1 - size.height()},
        {area.left(), area.top()},
        {main.right() + 1, main.top()},
        {main.left() - size.width(), main.top()},
    };
    QPoint best = current.topLeft();
    qint64 least = covered(current, keep);
    for (const QPoint& at : candidates) {
        const QRect place(at, size);
        // Only where the screen holds it whole.
        if (!screen.isEmpty() && !screen.contains(place))
            continue;
        const qint64 cover = covered(place, keep);
        if (cover < least) {
            least = cover;
            best = at;
        }
    }
    return best;
}
