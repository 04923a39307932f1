#pragma once

#include <QString>
#include <QStringList>

class QLabel;
class QLineEdit;
class QTableWidget;
class QTableWidgetItem;
class QTreeWidget;
class QTreeWidgetItem;
class frmClaimForm;

// Drives the claim form by its controls' names, as a user would with the mouse.
class ClaimFormDriver {
public:
    explicit ClaimFormDriver(frmClaimForm* form);

    QTreeWidget* tree() const;
    QTableWidget* grid() const;
    QLineEdit* tbRecord() const;
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

    // Mouse clicks; false when there is nothing to click there.
    bool clickNode(const QString& key) const;
    bool clickGridRow(int gridRow, int column = 1) const;
    bool clickHeader(int column) const;

private:
    frmClaimForm* form_;
};
