#include "gui/claimform/RecordTreePane.h"

#include "core/layouts/RecordTypes.h"
#include "gui/claimform/ClaimExport.h"
#include "gui/claimform/ClaimFormText.h"
#include "gui/claimform/CopyMenu.h"
#include "gui/common/CoreText.h"
#include "gui/common/Twips.h"

#include <QFontMetricsF>
#include <QHeaderView>
#include <QMenu>
#include <QSignalBlocker>
#include <QStyle>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>
#include <algorithm>
#include <cmath>

namespace {

// The design, in twips.
constexpr double kTreeMargin = 100;
constexpr double kTreeIndentation = 180;
constexpr double kPaneWidth = 2055;
constexpr double kPaneHeight = 4584;
// The tree pane of the smallest window.
constexpr double kPaneMinimumWidth = 235;

} // namespace

RecordTreePane::RecordTreePane(QWidget* parent)
    : QWidget(parent) {
    setObjectName(QStringLiteral("PictureTree"));
    treeView1_ = new QTreeWidget(this);
    treeView1_->setObjectName(QStringLiteral("TreeView1"));
    treeView1_->setToolTip(QStringLiteral("Click item to view details"));
    treeView1_->setColumnCount(1);
    treeView1_->setHeaderHidden(true);
    treeView1_->setUniformRowHeights(true);
    // Narrow steps keep a claim's records in sight in the narrow tree pane;
    // deeper nodes scroll sideways rather than lose their keys to an ellipsis.
    treeView1_->setIndentation(Twips::x(kTreeIndentation, this));
    treeView1_->header()->setStretchLastSection(false);
    treeView1_->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    treeView1_->setContextMenuPolicy(Qt::CustomContextMenu);

    // A mouse click on a new node reports both signals; showing the record
    // twice is harmless, and the click alone covers the node already current.
    connect(treeView1_, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* current) {
        if (current)
            emit nodeChosen(current->text(0));
    });
    connect(treeView1_, &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem* item) {
        if (item)
            emit nodeChosen(item->text(0));
    });
    connect(treeView1_, &QWidget::customContextMenuRequested, this, &RecordTreePane::contextMenu);
}

void RecordTreePane::setClaim(std::shared_ptr<const qm::AssembledClaim> claim,
                              std::string claimKey) {
    claim_ = std::move(claim);
    claimKey_ = std::move(claimKey);
}

void RecordTreePane::clearNodes() {
    const QSignalBlocker blocker(treeView1_);
    treeView1_->clear();
    nodesByKey_.clear();
}

void RecordTreePane::addNode(const QString& key, const QString& parentKey) {
    if (nodesByKey_.contains(key))
        return;
    QTreeWidgetItem* parent = parentKey.isEmpty() ? nullptr : nodesByKey_.value(parentKey);
    auto* node = parent ? new QTreeWidgetItem(parent) : new QTreeWidgetItem(treeView1_);
    node->setText(0, key);
    // What the record is, for a reader who does not know the codes.
    const std::string_view name = qm::recordTypeName(CoreText::toFileBytes(key.left(3)));
    if (!name.empty())
        node->setToolTip(0, key + QStringLiteral(" \u2014 ") + CoreText::fromUtf8(name));
    nodesByKey_.insert(key, node);
}

bool RecordTreePane::reset(const QString& RT) {
    QTreeWidgetItem* found = nullptr;
    for (QTreeWidgetItemIterator it(treeView1_); *it; ++it) {
        if ((*it)->childCount() > 0)
            (*it)->setExpanded(true);
        if ((*it)->text(0) == RT)
            found = *it;
    }
    {
        // Selecting from code is not a user's node click.
        const QSignalBlocker blocker(treeView1_);
        treeView1_->setCurrentItem(found);
        if (!found)
            treeView1_->clearSelection();
    }
    if (found)
        treeView1_->scrollToItem(found);
    return found != nullptr;
}

bool RecordTreePane::selectQuietly(const QString& key) {
    QTreeWidgetItem* node = nodesByKey_.value(key);
    if (!node)
        return false;
    const QSignalBlocker blocker(treeView1_);
    treeView1_->setCurrentItem(node);
    return true;
}

QString RecordTreePane::selectedKey() const {
    const QList<QTreeWidgetItem*> selected = treeView1_->selectedItems();
    return selected.isEmpty() ? QString() : selected.constFirst()->text(0);
}

void RecordTreePane::contextMenu(const QPoint& at) {
    const QTreeWidgetItem* node = treeView1_->itemAt(at);
    const QString key = node ? node->text(0) : QString();
    // Kept while the menu is open, whatever the form is given meanwhile: the
    // commands copy from its records.
    const std::shared_ptr<const qm::AssembledClaim> claim = claim_;
    const std::string claimKey = claimKey_;
    const qm::AssembledRecord* record =
        node && claim ? claim->record(CoreText::toFileBytes(key)) : nullptr;
    const qm::RecordLayout* layout = record && claim->layouts
                                         ? claim->layouts->find(CoreText::toFileBytes(key.left(3)))
                                         : nullptr;

    QMenu menu(this);
    menu.setObjectName(QStringLiteral("mnuTreeContext"));
    CopyMenu::add(menu, "mnuTreeCopyRecord", QStringLiteral("Copy Record"), layout != nullptr,
                  [=] { CopyMenu::copy(ClaimFormText::recordText(*layout, *record)); });
    CopyMenu::add(menu, "mnuTreeCopyClaim", QStringLiteral("Copy Claim as JSON"), claim != nullptr,
                  [=] { CopyMenu::copy(QString::fromUtf8(ClaimExport::json(*claim, claimKey))); });
    menu.exec(treeView1_->viewport()->mapToGlobal(at));
}

int RecordTreePane::keysWidth() const {
    // Fractional widths rounded up, as the view lays text out: a large or
    // scaled font must not lose a key's last character to rounding.
    const QFontMetricsF metrics(treeView1_->font());
    const int indentation = treeView1_->indentation();
    // The item view's text margin on either side.
    const int textMargins =
        2 *
        (treeView1_->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, treeView1_) + 1);
    const int frame = 2 * treeView1_->frameWidth();
    int widest = 0;
    int rows = 0;
    for (QTreeWidgetItemIterator it(treeView1_); *it; ++it) {
        int depth = treeView1_->rootIsDecorated() ? 1 : 0;
        for (const QTreeWidgetItem* parent = (*it)->parent(); parent; parent = parent->parent())
            ++depth;
        const int text = int(std::ceil(metrics.horizontalAdvance((*it)->text(0))));
        widest = std::max(widest, depth * indentation + text + textMargins);
        ++rows;
    }
    // The view's own measure of its column (sized to its contents), where it asks more.
    widest = std::max(widest, treeView1_->columnWidth(0));
    int width = widest + frame + Twips::x(kTreeMargin, this);
    const int rowHeight =
        std::max({int(std::ceil(metrics.height())) + 2, treeView1_->iconSize().height() + 2,
                  rows > 0 ? treeView1_->sizeHintForRow(0) : 0});
    if (rows * rowHeight > treeView1_->height() - frame)
        width += treeView1_->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, treeView1_);
    return width;
}

QSize RecordTreePane::sizeHint() const {
    return Twips::size(kPaneWidth, kPaneHeight, this);
}

QSize RecordTreePane::minimumSizeHint() const {
    return Twips::size(kPaneMinimumWidth, 0, this);
}

void RecordTreePane::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    treeView1_->setGeometry(0, 0, std::max(0, width() - Twips::x(kTreeMargin, this)),
                            std::max(0, height() - Twips::y(kTreeMargin, this)));
}
