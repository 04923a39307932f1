#pragma once

#include "core/claim/AssembledClaim.h"

#include <QHash>
#include <QString>
#include <QWidget>
#include <memory>
#include <string>

class QTreeWidget;
class QTreeWidgetItem;

// The claim form's record pane (PictureTree): the records of the claim the
// form shows as a tree (TreeView1), one node per record, keyed and named as
// the record ("FA0-2"), and a context menu that copies a record or the claim.
class RecordTreePane : public QWidget {
    Q_OBJECT
public:
    explicit RecordTreePane(QWidget* parent = nullptr);

    QTreeWidget* tree() const { return treeView1_; }

    // The claim whose records the nodes are (for the copy commands), made by
    // a click on file tree node claimKey. Leaves the nodes as they are.
    void setClaim(std::shared_ptr<const qm::AssembledClaim> claim, std::string claimKey);
    void clearNodes();
    // Adds a node whose key is also its text, under the node keyed parentKey,
    // or as a root when parentKey is empty. A key already there is not added again.
    void addNode(const QString& key, const QString& parentKey);

    // Expands every node with children and selects the node keyed RT, as code
    // does, not as a click (nodeChosen is not emitted); false, with nothing
    // selected, when there is no such node.
    bool reset(const QString& RT);
    // Makes the node keyed key current, quietly; false when there is none.
    bool selectQuietly(const QString& key);
    // The key of the selected node, or an empty text.
    QString selectedKey() const;

    // The width the pane needs to show every key whole at its depth, beside
    // a scroll bar when the rows do not all fit its height.
    int keysWidth() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

signals:
    // A node chosen by the user: clicked, or reached with the keyboard.
    void nodeChosen(const QString& key);

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void contextMenu(const QPoint& at);

    std::shared_ptr<const qm::AssembledClaim> claim_;
    std::string claimKey_;
    QHash<QString, QTreeWidgetItem*> nodesByKey_;
    QTreeWidget* treeView1_ = nullptr;
};
