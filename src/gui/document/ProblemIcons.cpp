#include "gui/document/ProblemIcons.h"

#include <QPainter>
#include <QPixmap>
#include <QSvgRenderer>
#include <array>

// The drawings live in a static library: make sure they are registered.
static void initProblemResources() {
    Q_INIT_RESOURCE(problems);
}

namespace {

// By ProblemKind.
constexpr const char* kDrawings[kProblemKindCount] = {"critical",     "unreadable",  "warning",
                                                      "question",     "information", "rule-error",
                                                      "rule-warning", "rule-note"};

// Drawn at the sizes a tree or a table asks for, at any scale factor, so that
// no pixmap is ever scaled up.
QIcon drawn(const char* name) {
    QSvgRenderer drawing(QStringLiteral(":/problems/%1.svg").arg(QLatin1String(name)));
    QIcon icon;
    for (const int size : {16, 20, 24, 32, 48, 64}) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        drawing.render(&painter);
        painter.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

} // namespace

QIcon ProblemIcons::icon(ProblemKind kind) {
    // Made once: the tree asks for a mark with every row it paints.
    static const std::array<QIcon, kProblemKindCount> icons = [] {
        initProblemResources();
        std::array<QIcon, kProblemKindCount> made;
        for (int i = 0; i < kProblemKindCount; ++i)
            made[std::size_t(i)] = drawn(kDrawings[i]);
        return made;
    }();
    return icons[std::size_t(kind)];
}

QColor ProblemIcons::color(ProblemKind kind) {
    // The fill of each drawing's sign, by ProblemKind.
    static const QRgb kColors[kProblemKindCount] = {0xd32f2f, 0x787878, 0xf9c21b, 0x7b4fb8,
                                                    0x1e6fd9, 0xd32f2f, 0xf29a12, 0x1e6fd9};
    return QColor(kColors[std::size_t(kind)]);
}
