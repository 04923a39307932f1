#include "gui/claimform/RawLinePane.h"

#include "core/layouts/RecordLayout.h"
#include "gui/claimform/ClaimFormText.h"
#include "gui/claimform/ColumnRuler.h"
#include "gui/claimform/CopyMenu.h"
#include "gui/claimform/RecordLineEdit.h"
#include "gui/common/CoreText.h"
#include "gui/common/PlainText.h"
#include "gui/common/Twips.h"

#include <QFontDatabase>
#include <QFontMetrics>
#include <QHelpEvent>
#include <QMenu>
#include <QToolTip>
#include <algorithm>
#include <memory>

namespace {

// The design, in twips.
constexpr double kTextBoxHeight = 285;
constexpr double kTextBoxMargin = 10;
constexpr double kPaneWidth = 6615;
constexpr double kPaneHeight = 330;

// The raw line in a fixed-pitch font, so that columns line up with positions.
// Some platforms answer the system's fixed font with a proportional one.
QFont fixedPitchFont() {
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    const QFontMetrics metrics(font);
    if (metrics.horizontalAdvance(QLatin1Char('i')) !=
        metrics.horizontalAdvance(QLatin1Char('W'))) {
        font.setFamily(QStringLiteral("monospace"));
        font.setStyleHint(QFont::TypeWriter);
    }
    return font;
}

} // namespace

RawLinePane::RawLinePane(QWidget* parent)
    : QWidget(parent) {
    setObjectName(QStringLiteral("PictureText"));
    tbRecord_ = new RecordLineEdit(this);
    tbRecord_->setObjectName(QStringLiteral("tbRecord"));
    tbRecord_->setToolTip(QStringLiteral("Record (line) as read from the NSF file"));
    tbRecord_->setFont(fixedPitchFont());
    tbRecord_->setContextMenuPolicy(Qt::CustomContextMenu);
    tbRecord_->installEventFilter(this);
    rulerRecord_ = new ColumnRuler(tbRecord_, this);
    rulerRecord_->setObjectName(QStringLiteral("rulerRecord"));
    connect(tbRecord_, &QWidget::customContextMenuRequested, this, &RawLinePane::contextMenu);
}

void RawLinePane::showLine(const QString& text, const QString& recordType,
                           const qm::RecordLayout* layout) {
    recordType_ = recordType;
    layout_ = layout;
    tbRecord_->setHint(QString());
    tbRecord_->setText(text);
    // Show the line from its first column, as a freshly filled text box does.
    tbRecord_->setCursorPosition(0);
}

void RawLinePane::clear() {
    recordType_.clear();
    layout_ = nullptr;
    tbRecord_->clear();
    // Until a record node is clicked a field has no characters to mark: say so.
    tbRecord_->setHint(
        QStringLiteral("Click a record on the left to see its line as read from the file"));
}

void RawLinePane::selectField(const qm::FieldDef& field) {
    // Column 1 is offset 0. The selection is cut at the end of the text; a
    // layout that starts before column 1 or has no length selects nothing.
    const int textLength = int(tbRecord_->text().size());
    const int start = field.StartPos - 1;
    if (start < 0) {
        tbRecord_->setCursorPosition(0);
    } else if (start >= textLength || field.Length <= 0) {
        tbRecord_->setCursorPosition(std::min(start, textLength));
    } else {
        // The line edit scrolls, when it paints, only as far as its caret
        // needs: the caret goes to the field's end and is painted there, then
        // to its start, so that the whole field is in view, its start first.
        const int end = start + std::min<int>(field.Length, textLength - start);
        tbRecord_->setCursorPosition(end);
        if (tbRecord_->isVisible())
            tbRecord_->repaint();
        tbRecord_->setSelection(end, start - end);
    }
}

int RawLinePane::fieldAtColumn(const qm::RecordLayout& layout, int column) {
    for (int i = 0; i < layout.fieldCount(); ++i) {
        const qm::FieldDef& field = layout.field(i);
        if (column >= field.StartPos && column < field.StartPos + field.Length)
            return i;
    }
    return -1;
}

bool RawLinePane::showToolTip(const QPoint& at, const QPoint& globalAt) {
    const int column = tbRecord_->columnAt(at.x());
    const int index = layout_ && column > 0 ? fieldAtColumn(*layout_, column) : -1;
    if (index < 0)
        return false;
    const qm::FieldDef& field = layout_->field(index);
    QToolTip::showText(globalAt,
                       PlainText::toolTip(QStringLiteral("%1 %2 %3, columns %4\u2013%5")
                                              .arg(recordType_, CoreText::fromFile(field.FieldId),
                                                   ClaimFormText::trimmed(field.FieldName))
                                              .arg(field.StartPos)
                                              .arg(field.EndPos)),
                       tbRecord_);
    return true;
}

void RawLinePane::contextMenu(const QPoint& at) {
    std::unique_ptr<QMenu> menu(tbRecord_->createStandardContextMenu());
    menu->setObjectName(QStringLiteral("mnuRecordContext"));
    menu->addSeparator();
    const QString line = tbRecord_->text();
    CopyMenu::add(*menu, "mnuRecordCopyLine", QStringLiteral("Copy Line"), !line.isEmpty(),
                  [line] { CopyMenu::copy(line); });
    menu->exec(tbRecord_->mapToGlobal(at));
}

bool RawLinePane::eventFilter(QObject* watched, QEvent* event) {
    if (watched == tbRecord_ && event->type() == QEvent::ToolTip) {
        const auto* help = static_cast<QHelpEvent*>(event);
        return showToolTip(help->pos(), help->globalPos());
    }
    return QWidget::eventFilter(watched, event);
}

QSize RawLinePane::sizeHint() const {
    return {Twips::x(kPaneWidth, this),
            rulerRecord_->sizeHint().height() + Twips::y(kPaneHeight, this)};
}

QSize RawLinePane::minimumSizeHint() const {
    return {Twips::x(kTextBoxMargin, this),
            rulerRecord_->sizeHint().height() + Twips::y(kTextBoxHeight, this)};
}

void RawLinePane::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    const int textWidth = std::max(0, width() - Twips::x(kTextBoxMargin, this));
    const int rulerHeight = rulerRecord_->sizeHint().height();
    rulerRecord_->setGeometry(0, 0, textWidth, rulerHeight);
    tbRecord_->setGeometry(0, rulerHeight, textWidth, Twips::y(kTextBoxHeight, this));
}
