#pragma once

#include <QWidget>

class RecordLineEdit;

// A column ruler for a raw record line, laid just above it at the same
// width: columns 1 to 320, a tick every 5 and a number every 10, in the
// line's font and scrolled with its text.
class ColumnRuler : public QWidget {
    Q_OBJECT
public:
    static constexpr int kColumns = 320;

    ColumnRuler(const RecordLineEdit* line, QWidget* parent = nullptr);

    QSize sizeHint() const override;
    // Where the centre of column `column` is drawn, in the ruler's pixels.
    qreal columnCentre(int column) const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    // From the line's pixels to the ruler's, across.
    qreal lineToRuler() const;
    // The centre of a column for a text that starts at textStart (ruler's pixels).
    qreal centre(qreal textStart, int column) const;

    const RecordLineEdit* line_;
};
