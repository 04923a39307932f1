#include "gui/claimform/RecordLineEdit.h"

#include <QFontDatabase>
#include <QFontMetricsF>
#include <QKeyEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionFrame>
#include <QTextLayout>
#include <algorithm>

namespace {

// QLineEdit's caret rectangle starts this many pixels left of the caret's x.
constexpr int kCaretRectLead = 5;

} // namespace

RecordLineEdit::RecordLineEdit(QWidget* parent)
    : QLineEdit(parent) {
    setReadOnly(true);
    // A field chosen from the grid stays as marked when the focus is elsewhere.
    QPalette colours = palette();
    for (QPalette::ColorRole role : {QPalette::Highlight, QPalette::HighlightedText})
        colours.setColor(QPalette::Inactive, role, colours.color(QPalette::Active, role));
    setPalette(colours);
    connect(this, &QLineEdit::textChanged, this, [this] { edgesValid_ = false; });
}

const std::vector<qreal>& RecordLineEdit::edges() const {
    if (edgesValid_)
        return edges_;
    // Laid out as QLineEdit lays out its own text.
    QTextLayout layout(text(), font());
    QTextOption option = layout.textOption();
    option.setFlags(QTextOption::IncludeTrailingSpaces);
    layout.setTextOption(option);
    layout.beginLayout();
    const QTextLine line = layout.createLine();
    layout.endLayout();
    edges_.resize(std::size_t(text().size()) + 1);
    for (std::size_t i = 0; i < edges_.size(); ++i)
        edges_[i] = line.isValid() ? line.cursorToX(int(i)) : 0;
    edgesValid_ = true;
    return edges_;
}

qreal RecordLineEdit::textOrigin() const {
    return cursorRect().x() + kCaretRectLead -
           qRound(edges()[std::size_t(std::clamp(cursorPosition(), 0, int(text().size())))]);
}

QRect RecordLineEdit::textArea() const {
    QStyleOptionFrame option;
    initStyleOption(&option);
    return style()->subElementRect(QStyle::SE_LineEditContents, &option, this) - textMargins();
}

qreal RecordLineEdit::columnOffset(int column) const {
    const std::vector<qreal>& x = edges();
    const std::size_t last = x.size() - 1;
    const std::size_t at = std::size_t(std::max(column - 1, 0));
    if (at <= last)
        return x[at];
    const qreal pitch = QFontMetricsF(font()).horizontalAdvance(QLatin1Char('0'));
    return x[last] + qreal(at - last) * pitch;
}

int RecordLineEdit::columnAt(qreal x) const {
    const std::vector<qreal>& edge = edges();
    const qreal fromStart = x - textOrigin();
    if (fromStart < 0 || fromStart >= edge.back())
        return 0;
    return int(std::upper_bound(edge.begin(), edge.end(), fromStart) - edge.begin());
}

bool RecordLineEdit::event(QEvent* event) {
    if (event->type() == QEvent::FontChange)
        edgesValid_ = false;
    return QLineEdit::event(event);
}

void RecordLineEdit::keyPressEvent(QKeyEvent* event) {
    if ((event->key() == Qt::Key_Up || event->key() == Qt::Key_Down) &&
        event->modifiers() == Qt::NoModifier) {
        emit stepRequested(event->key() == Qt::Key_Up ? -1 : 1);
        return;
    }
    const int before = cursorPosition();
    QLineEdit::keyPressEvent(event);
    // The caret stands on the character after it, or on the last one at the end.
    if (cursorPosition() != before && !text().isEmpty())
        emit columnChosen(std::min(cursorPosition() + 1, int(text().size())));
}

void RecordLineEdit::mousePressEvent(QMouseEvent* event) {
    QLineEdit::mousePressEvent(event);
    if (event->button() == Qt::LeftButton)
        emit columnChosen(columnAt(event->position().x()));
}

void RecordLineEdit::focusOutEvent(QFocusEvent* event) {
    const int start = selectionStart();
    const int length = selectionLength();
    const bool fromEnd = hasSelectedText() && cursorPosition() == start;
    QLineEdit::focusOutEvent(event);
    if (start >= 0 && !hasSelectedText()) {
        if (fromEnd)
            setSelection(start + length, -length);
        else
            setSelection(start, length);
    }
}

void RecordLineEdit::setHint(const QString& hint) {
    hint_ = hint;
    update();
}

void RecordLineEdit::paintEvent(QPaintEvent* event) {
    QLineEdit::paintEvent(event);
    if (text().isEmpty() && !hint_.isEmpty()) {
        QPainter painter(this);
        painter.setFont(QFontDatabase::systemFont(QFontDatabase::GeneralFont));
        painter.setPen(palette().color(QPalette::PlaceholderText));
        const QRect area = textArea();
        painter.drawText(area, Qt::AlignLeft | Qt::AlignVCenter,
                         painter.fontMetrics().elidedText(hint_, Qt::ElideRight, area.width()));
    }
    // The line edit decides how far its text is scrolled while it paints.
    const qreal origin = textOrigin();
    if (origin != drawnOrigin_) {
        drawnOrigin_ = origin;
        emit textMoved();
    }
}
