#pragma once

#include <QString>
#include <QWidget>

class ColumnRuler;
class RecordLineEdit;

namespace qm {
struct FieldDef;
class RecordLayout;
} // namespace qm

// The claim form's raw-line pane (PictureText): the record's line as read
// from the file (tbRecord) under its column ruler (rulerRecord), in which a
// field's characters are selected. Resting the mouse on the line names the
// field under it; its context menu copies the line.
class RawLinePane : public QWidget {
    Q_OBJECT
public:
    explicit RawLinePane(QWidget* parent = nullptr);

    RecordLineEdit* line() const { return tbRecord_; }
    ColumnRuler* ruler() const { return rulerRecord_; }

    // Shows the line of a record of type recordType, from its first column;
    // layout (may be null) names its fields.
    void showLine(const QString& text, const QString& recordType, const qm::RecordLayout* layout);
    // No line, no record: a hint says where a line comes from.
    void clear();
    // Selects the field's characters, cut at the end of the line, and
    // scrolls the whole field into view (from its start when it is wider).
    void selectField(const qm::FieldDef& field);

    // 0-based index of the field of layout covering `column`, or -1.
    static int fieldAtColumn(const qm::RecordLayout& layout, int column);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    bool showToolTip(const QPoint& at, const QPoint& globalAt);
    void contextMenu(const QPoint& at);

    QString recordType_;
    const qm::RecordLayout* layout_ = nullptr;
    ColumnRuler* rulerRecord_ = nullptr;
    RecordLineEdit* tbRecord_ = nullptr;
};
