#include "gui/claimform/SplitterSizes.h"

#include "gui/common/SettingsStore.h"
#include "gui/common/Twips.h"

#include <QSplitter>
#include <QStringList>
#include <algorithm>
#include <cmath>

namespace {

const QString kGroup = QStringLiteral("Splitters");

QString key(const QSplitter* splitter) {
    return kGroup + QLatin1Char('/') + splitter->objectName();
}

// Lengths along the splitter, across for a horizontal one, down for a vertical one.
int toPixels(const QSplitter* splitter, float twips) {
    return splitter->orientation() == Qt::Horizontal ? Twips::x(twips, splitter)
                                                     : Twips::y(twips, splitter);
}

float toTwips(const QSplitter* splitter, int pixels) {
    return splitter->orientation() == Qt::Horizontal ? Twips::fromX(pixels, splitter)
                                                     : Twips::fromY(pixels, splitter);
}

} // namespace

bool SplitterSizes::restore(QSplitter* splitter) {
    const std::unique_ptr<QSettings> settings = SettingsStore::open();
    if (!settings)
        return false;
    const QStringList stored =
        settings->value(key(splitter)).toString().split(QLatin1Char(' '), Qt::SkipEmptyParts);
    if (stored.size() != splitter->count())
        return false;
    QList<double> lengths;
    double total = 0;
    for (const QString& text : stored) {
        bool ok = false;
        const float twips = text.toFloat(&ok);
        if (!ok || !std::isfinite(twips) || twips < 0 || twips > Twips::kMax)
            return false;
        lengths.append(toPixels(splitter, twips));
        total += lengths.constLast();
    }
    // The stored proportions, in the length the splitter has now (the window
    // may have been made smaller or larger since).
    const bool across = splitter->orientation() == Qt::Horizontal;
    const int room = (across ? splitter->width() : splitter->height()) -
                     splitter->handleWidth() * int(splitter->count() - 1);
    if (total <= 0 || room <= 0)
        return false;
    QList<int> sizes;
    int given = 0;
    for (qsizetype i = 0; i < lengths.size(); ++i) {
        sizes.append(i + 1 < lengths.size() ? int(std::lround(lengths.at(i) * room / total))
                                            : room - given);
        given += sizes.constLast();
    }
    // Every pane keeps room for what it shows: sizes that would squeeze one
    // below its smallest (a window shrunk by an arrangement, a hand-edited
    // value) give the designed sizes instead.
    for (int i = 0; i < splitter->count(); ++i) {
        const QWidget* pane = splitter->widget(i);
        const QSize smallest = pane->minimumSizeHint().expandedTo(pane->minimumSize());
        if (sizes.at(i) < std::max(across ? smallest.width() : smallest.height(), 1))
            return false;
    }
    splitter->setSizes(sizes);
    return true;
}

void SplitterSizes::save(const QSplitter* splitter) {
    const std::unique_ptr<QSettings> settings = SettingsStore::open();
    if (!settings)
        return;
    QStringList twips;
    const QList<int> sizes = splitter->sizes();
    for (int pixels : sizes)
        twips.append(QString::number(toTwips(splitter, pixels)));
    settings->setValue(key(splitter), twips.join(QLatin1Char(' ')));
}
