#pragma once

#include <QLineEdit>
#include <vector>

// The raw line of the claim form (tbRecord): read-only, in a fixed-pitch
// font, and aware of where each of its columns is drawn, so that a ruler can
// be laid above it and a point can be told to be in a column.
//
// It keeps its selection when it loses the focus (a field chosen with the
// keys in the grid stays marked), and reports what the user does in it: a
// character clicked or the caret moved with the keys (columnChosen), Up or
// Down (stepRequested, which a one-line box would otherwise ignore).
class RecordLineEdit : public QLineEdit {
    Q_OBJECT
public:
    explicit RecordLineEdit(QWidget* parent = nullptr);

    // Where the left edge of column `column` (from 1) is drawn now, in this
    // widget's pixels; columns past the end of the text continue its pitch.
    qreal columnLeft(int column) const { return textOrigin() + columnOffset(column); }
    // x of the start of the text in this widget, as drawn now.
    qreal textOrigin() const;
    // x of the left edge of column `column` from the start of the text.
    qreal columnOffset(int column) const;
    // The column whose character is drawn at x, or 0 where there is none.
    int columnAt(qreal x) const;
    // The part of the widget the text is drawn in (and clipped to).
    QRect textArea() const;

    // A greyed hint drawn while there is no text, in the desktop's ordinary
    // font rather than the line's fixed-pitch one, so that it shows whole in
    // a narrow box (it is no text: copying or selecting does not see it).
    void setHint(const QString& hint);
    const QString& hint() const { return hint_; }

signals:
    void columnChosen(int column);
    void stepRequested(int rows);
    // The text was drawn from a new place (scrolled, refilled, resized).
    void textMoved();

protected:
    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    // x of each cursor position 0..length, from the start of the text.
    const std::vector<qreal>& edges() const;

    QString hint_;
    mutable std::vector<qreal> edges_;
    mutable bool edgesValid_ = false;
    qreal drawnOrigin_ = -1;
};
