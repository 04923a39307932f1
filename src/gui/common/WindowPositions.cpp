#include "gui/common/WindowPositions.h"

#include "gui/common/SettingsStore.h"

#include <QEvent>
#include <QGuiApplication>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QScreen>
#include <algorithm>
#include <cmath>

namespace {

// How much of the window's top strip must be in sight for the user to grab it.
constexpr int kTitleStripHeight = 24;
constexpr int kMinVisibleWidth = 48;
constexpr int kMinVisibleHeight = 8;
const char* const kFrameFitterName = "WindowPositionsFrameFitter";
const QString kGroup = QStringLiteral("Settings");

struct DefaultPlace {
    const char* windowName;
    WindowPositions::Place twips;
};

// Every window that remembers its place, with its first-run place.
constexpr DefaultPlace kDefaultPlaces[] = {
    {"frmMain", {1000, 1000, 6000, 2000}},         {"frmNSFTree", {1000, 1000, 6500, 6500}},
    {"frmClaimForm", {1000, 1000, 6500, 6500}},    {"frmFind", {1000, 1000, 4770, 1785}},
    {"frmProblems", {1500, 1500, 10500, 4500}},    {"frmSearchResults", {500, 500, 10500, 5000}},
    {"frmSearchFields", {1500, 1500, 6300, 3600}}, {"frmSummary", {1500, 1500, 11250, 12000}},
    {"frmSearchFields", {1500, 1500, 6300, 3600}}, {"frmCompare", {500, 500, 12000, 5000}},
    {"frmClaimCompare", {500, 2500, 18000, 7000}}, {"frmClaimList", {500, 500, 17000, 5500}},
    {"frmFileLines", {500, 500, 16500, 7500}},
};

QString key(const QString& windowName, const char* part) {
    return windowName + QLatin1String(part);
}

QMdiSubWindow* documentFrame(const QWidget* window) {
    if (auto* frame = qobject_cast<QMdiSubWindow*>(const_cast<QWidget*>(window)))
        return frame;
    return qobject_cast<QMdiSubWindow*>(window->parentWidget());
}

bool titleInSight(const QRect& window, const QList<QRect>& areas) {
    const QRect strip(window.left(), window.top(), window.width(),
                      qMin(window.height(), kTitleStripHeight));
    for (const QRect& area : areas) {
        const QRect seen = strip & area;
        if (seen.width() >= qMin(kMinVisibleWidth, strip.width()) &&
            seen.height() >= qMin(kMinVisibleHeight, strip.height()))
            return true;
    }
    return false;
}

constexpr char kScreenAreas[] = "qm.screenAreas";

// The areas handed nearest up the window's parents, then the application's,
// else the real screens'.
QList<QRect> screenAreas(const QWidget* window) {
    const QObject* owner = window;
    for (; owner; owner = owner->parent())
        if (owner->property(kScreenAreas).isValid())
            return owner->property(kScreenAreas).value<QList<QRect>>();
    if (const QCoreApplication* application = QCoreApplication::instance())
        if (application->property(kScreenAreas).isValid())
            return application->property(kScreenAreas).value<QList<QRect>>();
    QList<QRect> areas;
    const QList<QScreen*> screens = QGuiApplication::screens();
    for (const QScreen* screen : screens)
        areas.append(screen->availableGeometry());
    return areas;
}

// The area a window placed there lands on: the one holding its centre, else
// the one it overlaps most, else the first (the primary screen).
QRect landingArea(const QRect& window, const QList<QRect>& areas) {
    const QRect* best = &areas.constFirst();
    qint64 bestOverlap = -1;
    for (const QRect& area : areas) {
        if (area.contains(window.center()))
            return area;
        const QRect seen = area & window;
        const qint64 overlap = seen.isEmpty() ? 0 : qint64(seen.width()) * seen.height();
        if (overlap > bestOverlap) {
            bestOverlap = overlap;
            best = &area;
        }
    }
    return *best;
}

// Before a top-level window is first shown its frame is unknown, so restore
// sets the inner size to the stored outer size; once the frame is known this
// takes it off again, so that a window does not grow by its frame every run.
class FrameFitter : public QObject {
public:
    FrameFitter(QWidget* window, const QSize& outerSize)
        : QObject(window)
        , outerSize_(outerSize) {
        setObjectName(QLatin1String(kFrameFitterName));
        window->installEventFilter(this);
    }

    bool eventFilter(QObject* watched, QEvent* event) override {
        const QEvent::Type type = event->type();
        if (type != QEvent::Show && type != QEvent::Move && type != QEvent::Resize)
            return false;
        auto* window = static_cast<QWidget*>(watched);
        if (!window->isVisible() || window->windowState() != Qt::WindowNoState)
            return false;
        const QSize frame = window->frameGeometry().size() - window->size();
        if (frame.width() > 0 || frame.height() > 0) {
            window->removeEventFilter(this);
            window->resize(outerSize_ - frame);
            deleteLater();
        }
        return false;
    }

private:
    QSize outerSize_;
};

} // namespace

WindowPositions::Place WindowPositions::defaultsFor(const QString& windowName) {
    for (const DefaultPlace& place : kDefaultPlaces) {
        if (windowName == QLatin1String(place.windowName))
            return place.twips;
    }
    return kDefaultPlaces[0].twips;
}

bool WindowPositions::isStored(const QString& windowName) {
    const std::unique_ptr<QSettings> settings = SettingsStore::open();
    if (!settings)
        return false;
    settings->beginGroup(kGroup);
    for (const char* part : {"Left", "Top", "Width", "Height"}) {
        if (settings->contains(key(windowName, part)))
            return true;
    }
    return false;
}

QRect WindowPositions::fitInto(const QRect& place, const QRect& area) {
    QRect fitted(place.topLeft(),
                 QSize(qMin(place.width(), area.width()), qMin(place.height(), area.height())));
    if (fitted.right() > area.right())
        fitted.moveRight(area.right());
    if (fitted.bottom() > area.bottom())
        fitted.moveBottom(area.bottom());
    if (fitted.left() < area.left())
        fitted.moveLeft(area.left());
    if (fitted.top() < area.top())
        fitted.moveTop(area.top());
    return fitted;
}

QRect WindowPositions::availableArea(const QWidget* window) {
    const QList<QRect> areas = screenAreas(window);
    if (areas.isEmpty())
        return QRect();
    return landingArea(window->frameGeometry(), areas);
}

QSize WindowPositions::firstStartRoom(const QWidget* on) {
    const Place tree = defaultsFor(QStringLiteral("frmNSFTree"));
    const Place form = defaultsFor(QStringLiteral("frmClaimForm"));
    const Place summary = defaultsFor(QStringLiteral("frmSummary"));
    const double width = tree.left + tree.width + summary.width;
    const double height = std::max(tree.top + tree.height + form.height, tree.top + summary.height);
    return Twips::size(width, height, on);
}

void WindowPositions::setScreenAreas(QObject* owner, const QList<QRect>& availableAreas) {
    owner->setProperty(kScreenAreas,
                       availableAreas.isEmpty() ? QVariant() : QVariant::fromValue(availableAreas));
}

WindowPositions::Place WindowPositions::load(const QString& windowName, const Place& defaults) {
    Place twips = defaults;
    const std::unique_ptr<QSettings> settings = SettingsStore::open();
    if (!settings)
        return twips;
    settings->beginGroup(kGroup);
    auto read = [&](const char* part, float fallback, bool mustBePositive) {
        const QVariant stored = settings->value(key(windowName, part));
        if (!stored.isValid())
            return fallback;
        bool ok = false;
        const float value = stored.toString().toFloat(&ok);
        if (!ok || !std::isfinite(value) || std::fabs(value) > Twips::kMax ||
            (mustBePositive && value <= 0))
            return fallback;
        return value;
    };
    twips.left = read("Left", defaults.left, false);
    twips.top = read("Top", defaults.top, false);
    twips.width = read("Width", defaults.width, true);
    twips.height = read("Height", defaults.height, true);
    return twips;
}

void WindowPositions::restore(QWidget* window, const QString& windowName) {
    const Place defaults = defaultsFor(windowName);
    QMdiSubWindow* frame = documentFrame(window);
    QWidget* target = frame ? static_cast<QWidget*>(frame) : window;

    QList<QRect> areas;
    if (frame) {
        if (const QMdiArea* area = frame->mdiArea())
            areas.append(area->viewport()->rect());
    } else {
        areas = screenAreas(window);
    }
    // A document area not laid out yet, or a system without screens, cannot
    // tell what is in sight; the stored place is then taken as it is.
    areas.removeIf([](const QRect& area) { return area.isEmpty(); });

    const Place stored = load(windowName, defaults);
    QRect place = Twips::toPixels(stored, target);
    if (!areas.isEmpty() && !titleInSight(place, areas)) {
        place = Twips::toPixels({defaults.left, defaults.top, stored.width, stored.height}, target);
        if (!titleInSight(place, areas))
            place = Twips::toPixels(defaults, target);
    }
    // A top-level window is kept within its screen, whatever size was stored
    // (another monitor, another scale factor, a hand-edited value); the main
    // window's document area looks after its own documents.
    if (!frame && !areas.isEmpty())
        place = fitInto(place, landingArea(place, areas));

    if (frame) {
        frame->setGeometry(place);
        return;
    }
    window->move(place.topLeft());
    window->resize(place.size());
    delete window->findChild<QObject*>(QLatin1String(kFrameFitterName), Qt::FindDirectChildrenOnly);
    new FrameFitter(window, place.size());
    // Shown maximized, its normal place (as fitted above) under it.
    const std::unique_ptr<QSettings> settings = SettingsStore::open();
    if (settings &&
        settings->value(kGroup + QLatin1Char('/') + key(windowName, "Maximized")).toString() ==
            QLatin1String("1"))
        window->setWindowState(window->windowState() | Qt::WindowMaximized);
}

void WindowPositions::save(const QWidget* window, const QString& windowName) {
    const QMdiSubWindow* frame = documentFrame(window);
    const QWidget* target = frame ? static_cast<const QWidget*>(frame) : window;
    if (target->isMinimized())
        return;
    const QRect bounds = frame ? frame->geometry() : window->frameGeometry();
    const Place twips = Twips::toTwips(bounds, target);

    const std::unique_ptr<QSettings> settings = SettingsStore::open();
    if (!settings)
        return;
    settings->beginGroup(kGroup);
    auto write = [&](const char* part, float value) {
        settings->setValue(key(windowName, part), QString::number(double(value), 'g', 7));
    };
    write("Left", twips.left);
    write("Top", twips.top);
    write("Width", twips.width);
    write("Height", twips.height);
    if (frame)
        return;
    if (window->isMaximized())
        settings->setValue(key(windowName, "Maximized"), QStringLiteral("1"));
    else
        settings->remove(key(windowName, "Maximized"));
}
