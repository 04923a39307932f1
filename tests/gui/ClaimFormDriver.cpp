#include "ClaimFormDriver.h"

#include "gui/claimform/ColumnRuler.h"
#include "gui/claimform/RecordLineEdit.h"
#include "gui/claimform/frmClaimForm.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QSplitter>
#include <QTableWidget>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>

ClaimFormDriver::ClaimFormDriver(frmClaimForm* form)
    : form_(form) {
}

QTreeWidget* ClaimFormDriver::tree() const {
    return form_->findChild<QTreeWidget*>(QStringLiteral("TreeView1"));
}

QTableWidget* ClaimFormDriver::grid() const {
    return form_->findChild<QTableWidget*>(QStringLiteral("Grid"));
}

namespace {

// Clicks what is drawn at a place of widget, as the mouse would: a control
// laid over it gets the click.
bool clickAt(QWidget* widget, const QPoint& at) {
    QWidget* top = widget->window();
    const QPoint inTop = widget->mapTo(top, at);
    QWidget* target = top->childAt(inTop);
    if (!target)
        return false;
    QTest::mouseClick(target, Qt::LeftButton, {}, target->mapFrom(top, inTop));
    return true;
}

} // namespace

RecordLineEdit* ClaimFormDriver::tbRecord() const {
    return form_->findChild<RecordLineEdit*>(QStringLiteral("tbRecord"));
}

ColumnRuler* ClaimFormDriver::ruler() const {
    return form_->findChild<ColumnRuler*>(QStringLiteral("rulerRecord"));
}

QTableView* ClaimFormDriver::names() const {
    return form_->findChild<QTableView*>(QStringLiteral("gridFieldNames"));
}

QSplitter* ClaimFormDriver::splitter(const char* name) const {
    return form_->findChild<QSplitter*>(QLatin1String(name));
}

QLabel* ClaimFormDriver::panel(int number) const {
    return form_->findChild<QLabel*>(QStringLiteral("StatusBar1Panel%1").arg(number));
}

QStringList ClaimFormDriver::panelTexts() const {
    QStringList texts;
    for (int i = 1; i <= 4; ++i)
        texts.append(panel(i)->text());
    return texts;
}

QStringList ClaimFormDriver::nodes() const {
    QStringList list;
    for (QTreeWidgetItemIterator it(tree()); *it; ++it) {
        QString entry = (*it)->text(0);
        if ((*it)->parent())
            entry += QLatin1Char('<') + (*it)->parent()->text(0);
        list.append(entry);
    }
    return list;
}

QTreeWidgetItem* ClaimFormDriver::node(const QString& key) const {
    const QList<QTreeWidgetItem*> found =
        tree()->findItems(key, Qt::MatchExactly | Qt::MatchRecursive);
    return found.size() == 1 ? found.constFirst() : nullptr;
}

QString ClaimFormDriver::selectedKey() const {
    const QList<QTreeWidgetItem*> selected = tree()->selectedItems();
    return selected.size() == 1 ? selected.constFirst()->text(0) : QString();
}

int ClaimFormDriver::fieldRows() const {
    return frmClaimForm::gridRowOfTableRow(grid()->rowCount()) - 1;
}

QTableWidgetItem* ClaimFormDriver::nameCell(int gridRow) const {
    return grid()->item(frmClaimForm::tableRowOfGridRow(gridRow), 0);
}

QTableWidgetItem* ClaimFormDriver::valueCell(int gridRow) const {
    return grid()->item(frmClaimForm::tableRowOfGridRow(gridRow), 1);
}

QString ClaimFormDriver::name(int gridRow) const {
    const QTableWidgetItem* cell = nameCell(gridRow);
    return cell ? cell->text() : QString();
}

QString ClaimFormDriver::value(int gridRow) const {
    const QTableWidgetItem* cell = valueCell(gridRow);
    return cell ? cell->text() : QString();
}

QStringList ClaimFormDriver::headerTexts() const {
    QStringList texts;
    for (int column = 0; column < grid()->columnCount(); ++column) {
        const QTableWidgetItem* header = grid()->horizontalHeaderItem(column);
        texts.append(header ? header->text() : QString());
    }
    return texts;
}

bool ClaimFormDriver::clickNode(const QString& key) const {
    QTreeWidgetItem* item = node(key);
    if (!item)
        return false;
    tree()->scrollToItem(item);
    const QRect inSight = tree()->visualItemRect(item) & tree()->viewport()->rect();
    return !inSight.isEmpty() && clickAt(tree()->viewport(), inSight.center());
}

bool ClaimFormDriver::clickGridRow(int gridRow, int column) const {
    QTableWidgetItem* cell = column == 0 ? nameCell(gridRow) : valueCell(gridRow);
    if (!cell)
        return false;
    // The row comes into sight with its name, as the user would scroll it.
    grid()->scrollToItem(nameCell(gridRow));
    const QRect inSight = grid()->visualItemRect(cell) & grid()->viewport()->rect();
    return !inSight.isEmpty() && clickAt(grid()->viewport(), inSight.center());
}

bool ClaimFormDriver::clickHeader(int column) const {
    QHeaderView* header = grid()->horizontalHeader();
    if (column >= header->count())
        return false;
    const QRect section(header->sectionViewportPosition(column), 0, header->sectionSize(column),
                        header->height());
    const QRect inSight = section & header->viewport()->rect();
    return !inSight.isEmpty() && clickAt(header->viewport(), inSight.center());
}

bool ClaimFormDriver::clickRawColumn(int column) const {
    const RecordLineEdit* line = tbRecord();
    const qreal middle = (line->columnLeft(column) + line->columnLeft(column + 1)) / 2;
    QTest::mouseClick(tbRecord(), Qt::LeftButton, {}, QPoint(int(middle), line->height() / 2));
    return true;
}

bool ClaimFormDriver::chooseFromContextMenu(QWidget* widget, const QPoint& at,
                                            const QString& action) {
    bool chosen = false;
    QTimer::singleShot(0, widget, [&] {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        if (!menu)
            return;
        auto* entry = menu->findChild<QAction*>(action);
        if (!entry || !entry->isEnabled()) {
            menu->close();
            return;
        }
        menu->setActiveAction(entry);
        QTest::keyClick(menu, Qt::Key_Return);
        chosen = true;
    });
    QContextMenuEvent event(QContextMenuEvent::Mouse, at, widget->mapToGlobal(at));
    QApplication::sendEvent(widget, &event);
    return chosen;
}
