#pragma once

#include "core/claim/AssembledClaim.h"
#include "gui/claimform/FieldGridPane.h"

#include <QString>
#include <QWidget>
#include <memory>
#include <string>

class ClaimDocument;
class QLabel;
class QSplitter;
class QStatusBar;
class RawLinePane;
class RecordTreePane;

// The claim form: a line naming the claim (lblClaim), the records of the
// current file tree selection as a tree (RecordTreePane), one record's fields
// in a grid (FieldGridPane), and the record's raw line in which a field's
// characters are selected (RawLinePane), with four status panels that
// describe the field. Splitters divide the tree
// from the grid (splitClaimForm) and both from the raw line (splitRecord).
// The grid's current row and the raw line's caret follow each other, by mouse
// or keys. It shows an assembled claim, a value it keeps; it changes nothing.
class frmClaimForm : public QWidget {
    Q_OBJECT
public:
    explicit frmClaimForm(QWidget* parent = nullptr);
    ~frmClaimForm() override;

    // Shows the claims the document's clicks read, its last click at once,
    // and closes with the document.
    void setDocument(ClaimDocument* document);

    // The claim whose records the form shows, made by a click on file tree
    // node `key` (file bytes): its nodes fill the record tree (Treeview1_Reset
    // then selects one). `name` names it at the top of the form (lblClaim)
    // as the file tree does.
    void setClaim(std::shared_ptr<const qm::AssembledClaim> claim, std::string key = {},
                  const QString& name = {});
    const qm::AssembledClaim* claim() const { return claim_.get(); }
    const std::string& claimKey() const { return claimKey_; }
    // The field a printout marks: the key of the record node shown
    // ("FA0-2") and the current field's slot in its layout; -1 when no
    // field row is current.
    QString shownNodeKey() const;
    int currentFieldSlot() const;
    // The record node selected in the record tree ("FA0-2"); empty for none.
    QString selectedRecordKey() const;

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
    // Writes grid row `row` (0 is the header row). Widths only ever grow by
    // the text; the Value column also takes whatever width the grid has left.
    void SetGridRow(int row, const QString& name, const QString& value);

    // Shows field `field` of the record node keyed `key` as a click on the
    // node and then on the field's value would; false when there is no such
    // node or field.
    bool showField(const QString& key, int field);

    // The grid's row 0 is its header; field slot i is on grid row i.
    static int gridRowOfTableRow(int tableRow) {
        return FieldGridPane::gridRowOfTableRow(tableRow);
    }
    static int tableRowOfGridRow(int gridRow) { return FieldGridPane::tableRowOfGridRow(gridRow); }

    // The window's designed size, for whatever arranges it (Window > Cascade).
    QSize sizeHint() const override;

signals:
    // Whether the form shows a claim: with every claim it is given, and false
    // as it closes.
    void claimShown(bool shown);

protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void createStatusBar();
    void createPanes();

    // The record of the node keyed key, as a click on it shows it.
    void selectNode(const QString& key);
    // The record type of the node selected in TreeView1 and its layout; null
    // when no node is selected or its type has no layout.
    const qm::RecordLayout* selectedLayout(QString& recordType) const;
    // The record the node keyed `key` shows, or null.
    const qm::AssembledRecord* recordOf(const QString& key) const;
    // The layout of a record type in the claim's layouts, or nullptr.
    const qm::RecordLayout* layoutOf(const QString& recordType) const;

    // The grid's current row as a click on it shows it: the panels describe
    // its field and its characters are selected in tbRecord, which takes the
    // focus when focusRawLine.
    void showCurrentField(bool focusRawLine);
    void describeField(const QString& recordType, const qm::FieldDef& field);
    // Up or Down in tbRecord: the previous or next field row, as if clicked.
    void stepField(int rows);
    // A column of the raw line chosen: the grid's row of the field that
    // covers it becomes current and is described; no row in no field.
    void showFieldAtColumn(int column);

    void emptyPanels(int count);
    // The first sizes of the panes: those remembered, or the designed ones.
    void sizePanes();
    // The tree and the grid share the width: the grid the width it was given
    // (by the design, the settings or a drag) first, the tree what is left,
    // never less than its keys need nor more than it was given; what is
    // more than both were given goes to the grid.
    void shareWidth();
    // The window frame the user resizes: the document window around the form,
    // or the form itself when it stands alone.
    QWidget* outerWindow();

    std::shared_ptr<const qm::AssembledClaim> claim_;
    std::string claimKey_;
    // A field the click says is wrong (ClaimDocument::Click::note), marked
    // whenever its record is shown.
    QString wrongRecord_;
    int wrongField_ = -1;
    QString wrongNote_;
    bool panesSized_ = false;
    int treeWidth_ = 0;
    int gridWidth_ = 0;
    int sharedWidth_ = -1;
    bool sharing_ = false;

    QLabel* lblClaim_ = nullptr;
    QSplitter* splitRecord_ = nullptr;
    QSplitter* splitClaimForm_ = nullptr;
    RecordTreePane* pictureTree_ = nullptr;
    FieldGridPane* pictureGrid_ = nullptr;
    RawLinePane* pictureText_ = nullptr;
    QStatusBar* statusBar1_ = nullptr;
    QLabel* panels_[4] = {};
};
