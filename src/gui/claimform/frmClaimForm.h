#pragma once

#include "core/layouts/RecordLayout.h"

#include <QHash>
#include <QString>
#include <QWidget>
#include <memory>
#include <string_view>

namespace qm {
struct Module1;
}

class QLabel;
class QLineEdit;
class QStatusBar;
class QTableWidget;
class QTreeWidget;
class QTreeWidgetItem;

// The claim form: the records of the current file tree selection as a tree
// (TreeView1), one record's fields in a grid (Grid), and the record's raw line
// (tbRecord) in which a clicked field's characters are selected. It only reads
// the record store; claim assembly fills it and fills the record tree.
class frmClaimForm : public QWidget {
    Q_OBJECT
public:
    explicit frmClaimForm(const qm::Module1& module1, QWidget* parent = nullptr);
    ~frmClaimForm() override;

    // Record tree, filled by claim assembly before Treeview1_Reset.
    void clearRecordTree();
    // Adds a node whose key is also its text, under the node keyed parentKey,
    // or as a root when parentKey is empty. A key already there is not added again.
    void addRecordNode(const QString& key, const QString& parentKey);

    // Expands every node with children, selects the node keyed RT and shows its
    // record in the grid; then empties tbRecord and the four status panels.
    void Treeview1_Reset(const QString& RT);
    // Fills the grid and tbRecord with one occurrence of a record type. An
    // occurrence outside 1..99 has no stored record: names only, no values.
    void ShowRecord(const qm::RecordInfo& info, const qm::FieldTable& fields, int occurrence);
    // Writes grid row `row` (0 is the header row); columns only ever widen.
    void SetGridRow(int row, const QString& name, const QString& value);

    // The grid's row 0 is its header; field slot i is on grid row i. These two
    // are the only place that knows how grid rows map onto the table's rows.
    static int gridRowOfTableRow(int tableRow) { return tableRow + 1; }
    static int tableRowOfGridRow(int gridRow) { return gridRow - 1; }

    // The occurrence slot a record tree key stands for: 1 for a type that does
    // not repeat and for a plain key, the number after "-" otherwise; 0 when
    // that is no number from 1 to 99 (nothing is stored for it).
    static int occurrenceOfKey(const QString& key, bool repeats);

protected:
    bool event(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    // A node chosen in TreeView1 (clicked, or reached with the keyboard).
    void selectNode(QTreeWidgetItem* node);
    // A click on a grid row: selects the field's characters in tbRecord.
    void gridRowClicked();
    // Copies the type's layout and values from the store into fields_ and
    // info_; a type the catalogue does not hold gets no fields and no lines.
    void readLayout(std::string_view recordType);
    void emptyPanels(int count);
    // The width a grid cell needs to show text whole (names may be bold).
    int cellWidthFor(const QString& text, bool bold) const;
    void arrangePanes();
    // The window frame the user resizes: the document window around the form,
    // or the form itself when it stands alone.
    QWidget* outerWindow();
    int twipsToPixelsX(double twips) const;
    int twipsToPixelsY(double twips) const;

    const qm::Module1& module1_;
    std::unique_ptr<qm::FieldTable> fields_;
    std::unique_ptr<qm::RecordInfo> info_;
    QHash<QString, QTreeWidgetItem*> nodesByKey_;

    QWidget* pictureTree_ = nullptr;
    QWidget* pictureGrid_ = nullptr;
    QWidget* pictureText_ = nullptr;
    QTreeWidget* treeView1_ = nullptr;
    QTableWidget* grid_ = nullptr;
    QLineEdit* tbRecord_ = nullptr;
    QStatusBar* statusBar1_ = nullptr;
    QLabel* panels_[4] = {};
};
