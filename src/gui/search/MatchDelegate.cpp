#include "gui/search/MatchDelegate.h"

#include <QApplication>
#include <QPainter>
#include <QPoint>

MatchDelegate::MatchDelegate(int matchRole, QObject* parent)
    : QStyledItemDelegate(parent)
    , matchRole_(matchRole) {
}

void MatchDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const {
    const QVariant match = index.data(matchRole_);
    if (!match.isValid() || match.toPoint().y() <= 0) {
        QStyledItemDelegate::paint(painter, option, index);
        return;
    }
    QStyleOptionViewItem opt = option;
    initStyleOption(&opt, index);
    const QString text = opt.text;
    const int start = qBound(0, match.toPoint().x(), int(text.size()));
    const int length = qBound(0, match.toPoint().y(), int(text.size()) - start);
    // The cell without its text (background, selection, focus), then the text in three parts.
    opt.text.clear();
    const QWidget* widget = opt.widget;
    QStyle* style = widget ? widget->style() : QApplication::style();
    style->drawControl(QStyle::CE_ItemViewItem, &opt, painter, widget);
    const QRect area = style->subElementRect(QStyle::SE_ItemViewItemText, &opt, widget)
                           .adjusted(2, 0, -2, 0); // the margin the style leaves its text
    const bool selected = opt.state & QStyle::State_Selected;
    const QPalette::ColorRole textRole = selected ? QPalette::HighlightedText : QPalette::Text;
    QFont bold = opt.font;
    bold.setBold(true);

    painter->save();
    painter->setClipRect(area);
    int x = area.left();
    auto draw = [&](const QString& part, const QFont& font, bool emphasised) {
        if (part.isEmpty())
            return;
        const QFontMetrics metrics(font);
        const QRect box(x, area.top(), metrics.horizontalAdvance(part), area.height());
        if (emphasised && !selected)
            painter->fillRect(box, opt.palette.color(QPalette::Highlight).lighter(170));
        painter->setFont(font);
        painter->setPen(opt.palette.color(QPalette::Active, textRole));
        painter->drawText(box, Qt::AlignVCenter | Qt::AlignLeft | Qt::TextSingleLine, part);
        x = box.right() + 1;
    };
    draw(text.left(start), opt.font, false);
    draw(text.mid(start, length), bold, true);
    draw(text.mid(start + length), opt.font, false);
    painter->restore();
}
