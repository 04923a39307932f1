#pragma once

#include <QPalette>
#include <QString>
#include <QStringList>

class QAbstractBarSeries;
class QChart;

// The File Summary's bar charts: titles, axes that count in whole steps
// (thousands and millions where the figures are that large), and a tooltip
// with each bar's figure in full.
class BarChart {
public:
    // A chart of bars, one category each, with its title and axis titles; a
    // horizontal one lists its categories down the side.
    static QChart* make(const QString& title, QAbstractBarSeries* series,
                        const QStringList& categories, const QString& categoryTitle,
                        const QString& valueTitle, bool money, const QPalette& palette);
    // A category's label cut to a length that fits under or beside a bar.
    static QString shortLabel(const QString& text, int length);
};
