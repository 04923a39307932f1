#include "ClaimFormDriver.h"

#include "gui/claimform/frmClaimForm.h"

#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QTableWidget>
#include <QTest>
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

QLineEdit* ClaimFormDriver::tbRecord() const {
    return form_->findChild<QLineEdit*>(QStringLiteral("tbRecord"));
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
    if (inSight.isEmpty())
        return false;
    QTest::mouseClick(tree()->viewport(), Qt::LeftButton, {}, inSight.center());
    return true;
}

bool ClaimFormDriver::clickGridRow(int gridRow, int column) const {
    QTableWidgetItem* cell = column == 0 ? nameCell(gridRow) : valueCell(gridRow);
    if (!cell)
        return false;
    // The row comes into sight with its name, as the user would scroll it.
    grid()->scrollToItem(nameCell(gridRow));
    const QRect inSight = grid()->visualItemRect(cell) & grid()->viewport()->rect();
    if (inSight.isEmpty())
        return false;
    QTest::mouseClick(grid()->viewport(), Qt::LeftButton, {}, inSight.center());
    return true;
}

bool ClaimFormDriver::clickHeader(int column) const {
    QHeaderView* header = grid()->horizontalHeader();
    if (column >= header->count())
        return false;
    const QPoint centre(header->sectionViewportPosition(column) + header->sectionSize(column) / 2,
                        header->height() / 2);
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, centre);
    return true;
}
