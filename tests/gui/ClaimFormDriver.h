#pragma once

#include "gui/claimform/RecordLineEdit.h"

#include <QString>
#include <QStringList>

class ColumnRuler;
class QLabel;
class QPoint;
class QSplitter;
class QTableView;
class QTableWidget;
class QTableWidgetItem;
class QTreeWidget;
class QTreeWidgetItem;
class QWidget;
class frmClaimForm;

// Drives the claim form by its controls' names, as a user would with the mouse.
class ClaimFormDriver {
public:
    explicit ClaimFormDriver(frmClaimForm* form);

    QTreeWidget* tree() const;
    QTableWidget* grid() const;
    RecordLineEdit* tbRecord() const;
    ColumnRuler* ruler() const;
    // The grid's frozen first column.
    QTableView* names() const;
    QSplitter* splitter(const char* name) const;
    // Status panel 1 to 4.
    QLabel* panel(int number) const;
    QStringList panelTexts() const;

    // Every node as "key" or "key<parentKey", in tree order.
    QStringList nodes() const;
    QTreeWidgetItem* node(const QString& key) const;
    QString selectedKey() const;

    // Grid row i shows field slot i; row 0 is the header.
    int fieldRows() const;
    QTableWidgetItem* nameCell(int gridRow) const;
    QTableWidgetItem* valueCell(int gridRow) const;
    QString name(int gridRow) const;
    QString value(int gridRow) const;
    QStringList headerTexts() const;

    // Mouse clicks, on whatever is drawn at the place; false when there is
    // nothing to click there.
    bool clickNode(const QString& key) const;
    bool clickGridRow(int gridRow, int column = 1) const;
    bool clickHeader(int column) const;
    // A click on the middle of a column's character in the raw line.
    bool clickRawColumn(int column) const;
    // Opens the context menu at a place of widget and chooses the entry named
    // action; false when it is missing or disabled (the menu is then closed).
    static bool chooseFromContextMenu(QWidget* widget, const QPoint& at, const QString& action);

private:
    frmClaimForm* form_;
};
