#pragma once

#include "core/claim/AssembledClaim.h"

#include <QHash>
#include <QString>
#include <QWidget>
#include <memory>
#include <string_view>

class QLabel;
class QLineEdit;
class QStatusBar;
class QTableWidget;
class QTreeWidget;
class QTreeWidgetItem;

// The claim form: the records of the current file tree selection as a tree
// (TreeView1), one record's fields in a grid (Grid), and the record's raw line
// (tbRecord) in which a clicked field's characters are selected. It shows an
// assembled claim, a value it keeps; it changes nothing.
class frmClaimForm : public QWidget {
    Q_OBJECT
public:
    explicit frmClaimForm(QWidget* parent = nullptr);
    ~frmClaimForm() override;

    // The claim whose records the form shows: its nodes fill the record tree
    // (Treeview1_Reset then selects one).
    void setClaim(std::shared_ptr<const qm::AssembledClaim> claim);
    const qm::AssembledClaim* claim() const { return claim_.get(); }

    // Record tree, filled from the claim before Treeview1_Reset.
    void clearRecordTree();
    // Adds a node whose key is also its text, under the node keyed parentKey,
    // or as a root when parentKey is empty. A key already there is not added again.
    void addRecordNode(const QString& key, const QString& parentKey);

    // Expands every node with children, selects the node keyed RT and shows its
    // record in the grid; then empties tbRecord and the four status panels.
    void Treeview1_Reset(const QString& RT);
    // Fills the grid and tbRecord with one record: its layout's field names,
    // its values and their verdicts. Without a record (none read for the
    // node) the names only; without a layout the header row only.
    void ShowRecord(const qm::RecordLayout* layout, const qm::AssembledRecord* record);
    // Writes grid row `row` (0 is the header row); columns only ever widen.
    void SetGridRow(int row, const QString& name, const QString& value);

    // The grid's row 0 is its header; field slot i is on grid row i. These two
    // are the only place that knows how grid rows map onto the table's rows.
    static int gridRowOfTableRow(int tableRow) { return tableRow + 1; }
    static int tableRowOfGridRow(int gridRow) { return gridRow - 1; }

protected:
    bool event(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    // A node chosen in TreeView1 (clicked, or reached with the keyboard).
    void selectNode(QTreeWidgetItem* node);
    // A click on a grid row: selects the field's characters in tbRecord.
    void gridRowClicked();
    // The layout of a record type in the claim's layouts, or nullptr.
    const qm::RecordLayout* layoutOf(const QString& recordType) const;
    void emptyPanels(int count);
    // The width a grid cell needs to show text whole (names may be bold).
    int cellWidthFor(const QString& text, bool bold) const;
    void arrangePanes();
    // The window frame the user resizes: the document window around the form,
    // or the form itself when it stands alone.
    QWidget* outerWindow();
    int twipsToPixelsX(double twips) const;
    int twipsToPixelsY(double twips) const;

    std::shared_ptr<const qm::AssembledClaim> claim_;
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
