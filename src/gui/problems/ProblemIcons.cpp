#include "gui/problems/ProblemIcons.h"

#include <QApplication>
#include <QStyle>
#include <array>

QIcon ProblemIcons::icon(ProblemKind kind) {
    // Made once: the tree asks for a mark with every row it paints.
    static const std::array<QIcon, kProblemKindCount> icons = [] {
        const QStyle* style = QApplication::style();
        return std::array<QIcon, kProblemKindCount>{
            style->standardIcon(QStyle::SP_MessageBoxCritical),
            style->standardIcon(QStyle::SP_BrowserStop),
            style->standardIcon(QStyle::SP_MessageBoxWarning),
            style->standardIcon(QStyle::SP_MessageBoxQuestion),
            style->standardIcon(QStyle::SP_MessageBoxInformation)};
    }();
    return icons[std::size_t(kind)];
}
