#pragma once

#include <QLabel>

// A one-line label that gives way in a narrow window: what does not fit ends
// in "…" instead of being cut off mid-word, and the tooltip then starts with
// the whole text. text() is always the whole text.
class ElidedLabel : public QLabel {
    Q_OBJECT
public:
    explicit ElidedLabel(QWidget* parent = nullptr);

    // The tooltip (plain text) shown below the text; the label puts its whole
    // text above it while the text is cut short.
    void setDetails(const QString& details);
    bool isElided() const;
    QSize minimumSizeHint() const override;

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    QString details_;
};
