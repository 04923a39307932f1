#pragma once

#include "gui/document/RulesChoice.h"

#include <QDialog>
#include <QPointer>

class ClaimDocument;
class QLabel;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

// Tools > Rules: the rules files the whole-file check weighs claims by
// (treeRules): the format's integrity edits first, then the user's files in
// the order added, each on or off by its check box, with its rules beneath
// it, each with its severity and how many rows and claims failed it in the
// open file's last check. A file that does not load says why, with its line
// and column, in its row and below the list (lblLoadErrors). Add...
// (cmdAddRules), Remove (cmdRemoveRules) and Reload (cmdReloadRules); every
// change is remembered in the settings and checks the open file again.
class frmRules : public QDialog {
    Q_OBJECT
public:
    enum Column { Name, Severity, Rows, Claims, ColumnCount };

    explicit frmRules(QWidget* parent = nullptr);

    // The file whose check the counts are of (nullptr: none open).
    void setDocument(ClaimDocument* document);
    QTreeWidget* rulesTree() const { return tree_; }

    // Adds a rules file (as Add... does once it was chosen).
    void addFile(const QString& path);
    // Removes the file of this row of the list (the integrity edits stay).
    void removeFile(int index);
    // Loads every file again and checks the open file again.
    void reload();

private:
    // The choice remembered, and the open file checked with it.
    void changed();
    // Lists the choice, with what the document's last check found.
    void refresh();
    QTreeWidgetItem* addFileItem(const QString& text, bool on, const QString& path,
                                 const QString& error);
    void addRuleItems(QTreeWidgetItem* file, const QString& path, bool integrity);

    RulesChoice choice_;
    QPointer<ClaimDocument> document_;
    QTreeWidget* tree_ = nullptr;
    QLabel* errors_ = nullptr;
    QPushButton* remove_ = nullptr;
    bool filling_ = false;
    // Set while an item tells of its own change: the tree is built again later,
    // not under the item's feet.
    bool inItemChange_ = false;
};
