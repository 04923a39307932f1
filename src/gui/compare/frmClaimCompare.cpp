#include "gui/compare/frmClaimCompare.h"

#include "core/compare/UnitComparer.h"
#include "core/compare/UnitReader.h"
#include "core/openfile/OpenClaimFile.h"
#include "gui/common/Controls.h"
#include "gui/common/CoreText.h"
#include "gui/compare/ClaimCompareModel.h"
#include "gui/document/ClaimDocument.h"

#include <QBoxLayout>
#include <QCheckBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QSortFilterProxyModel>
#include <QSplitter>
#include <QTableView>

namespace {

constexpr int kWidestNameCharacters = 30;

QString capitalised(const char* word) {
    QString text = QString::fromLatin1(word);
    text[0] = text[0].toUpper();
    return text;
}

} // namespace

frmClaimCompare::frmClaimCompare(QWidget* parent)
    : QWidget(parent) {
    setObjectName(QStringLiteral("frmClaimCompare"));
    setWindowTitle(QStringLiteral("Side by Side"));
    model_ = new ClaimCompareModel(this);
    shown_ = new QSortFilterProxyModel(this);
    shown_->setSourceModel(model_);
    shown_->setFilterRole(ClaimCompareModel::DiffersRole);

    summary_ = Controls::label(this, QStringLiteral("lblSummary"), QString());
    summary_->setTextFormat(Qt::PlainText);
    summary_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    onlyDifferences_ = new QCheckBox(QStringLiteral("&Only differences"), this);
    onlyDifferences_->setObjectName(QStringLiteral("chkOnlyDifferences"));
    connect(onlyDifferences_, &QCheckBox::toggled, this, [this](bool only) {
        // QVariant(true).toString() is "true": the rows that differ.
        shown_->setFilterFixedString(only ? QStringLiteral("true") : QString());
    });
    open_ = new QPushButton(QStringLiteral("Show in File T&ree"), this);
    open_->setObjectName(QStringLiteral("cmdOpenClaim"));
    open_->setToolTip(QStringLiteral("Open A's claim in the file tree and the claim form"));
    connect(open_, &QPushButton::clicked, this, [this] {
        if (!keyA_.empty())
            emit openRequested(keyA_);
    });
    auto* bar = new QHBoxLayout;
    bar->addWidget(summary_, 1);
    bar->addWidget(onlyDifferences_);
    bar->addWidget(open_);

    auto* splitter = new QSplitter(Qt::Horizontal, this);
    splitter->setObjectName(QStringLiteral("splitSides"));
    splitter->setChildrenCollapsible(false);
    for (int side = 0; side < 2; ++side) {
        auto* pane = new QWidget(splitter);
        const QString letter = side == 0 ? QStringLiteral("A") : QStringLiteral("B");
        QLabel* title = Controls::label(pane, QStringLiteral("lblClaim") + letter, QString());
        title->setTextFormat(Qt::PlainText);
        title->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
        auto* grid = new QTableView(pane);
        grid->setObjectName(QStringLiteral("gridClaim") + letter);
        grid->setModel(shown_);
        grid->setSelectionBehavior(QAbstractItemView::SelectRows);
        grid->setSelectionMode(QAbstractItemView::SingleSelection);
        grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
        grid->setWordWrap(false);
        grid->verticalHeader()->hide();
        grid->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
        grid->verticalHeader()->setDefaultSectionSize(grid->fontMetrics().height() + 6);
        grid->horizontalHeader()->setStretchLastSection(true);
        for (int column = 0; column < ClaimCompareModel::ColumnCount; ++column)
            grid->setColumnHidden(column, column / ClaimCompareModel::kSideColumns != side);
        auto* layout = new QVBoxLayout(pane);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->addWidget(title);
        layout->addWidget(grid, 1);
        titles_[std::size_t(side)] = title;
        grids_[std::size_t(side)] = grid;
    }
    // The rows line up: the grids scroll and select together. A grid not
    // laid out yet cannot scroll as far as the other; it follows once it can.
    grids_[1]->setSelectionModel(grids_[0]->selectionModel());
    for (int side = 0; side < 2; ++side) {
        QScrollBar* scroll = grids_[std::size_t(side)]->verticalScrollBar();
        QScrollBar* other = grids_[std::size_t(1 - side)]->verticalScrollBar();
        connect(scroll, &QScrollBar::valueChanged, this, [this, other](int value) {
            scrolledTo_ = value;
            other->setValue(value);
        });
        connect(scroll, &QScrollBar::rangeChanged, this, [this, scroll] {
            scroll->setValue(scrolledTo_);
            showFirstDifference();
        });
    }

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(bar);
    layout->addWidget(splitter, 1);
}

void frmClaimCompare::setDocument(ClaimDocument* document) {
    if (!document)
        return;
    document->closeWithFile(this);
    connect(this, &frmClaimCompare::openRequested, document, [document](const std::string& key) {
        ClaimDocument::Place place;
        place.key = key;
        document->goTo(place);
    });
}

void frmClaimCompare::compare(const Files& files, const CompareRow& row) {
    if (row.unit == qm::CompareUnit::Line) {
        compareLine(files, row);
        return;
    }
    const qm::UnitComparer comparer(files.a->layouts(), files.b->layouts());
    std::array<qm::UnitRecords, 2> records;
    QStringList unreadable;
    const std::array<const qm::UnitPlace*, 2> places{&row.a, &row.b};
    const std::array<qm::OpenClaimFile*, 2> sides{files.a.get(), files.b.get()};
    for (int side = 0; side < 2; ++side) {
        const qm::UnitPlace& place = *places[std::size_t(side)];
        qm::OpenClaimFile& file = *sides[std::size_t(side)];
        const QString letter = side == 0 ? QStringLiteral("A") : QStringLiteral("B");
        QLabel* title = titles_[std::size_t(side)];
        title->setToolTip(letter + QStringLiteral(": ") + CoreText::toPath(file.path()));
        if (!place.present()) {
            title->setText(letter + QStringLiteral(": not in this file"));
            continue;
        }
        title->setText(QStringLiteral("%1: %2  %3")
                           .arg(letter, QString::fromStdString(place.key(row.unit)),
                                CoreText::fromFile(place.text)));
        if (!qm::UnitReader::read(file.reader(), file.layouts(), row.unit, place,
                                  records[std::size_t(side)]))
            unreadable << letter;
    }
    model_->setFields(comparer.align(records[0], records[1]), comparer);
    fitColumns();
    // The first value that differs is what the user came for: in view as
    // soon as the grids have their size.
    scrolledTo_ = 0;
    const QModelIndexList differing = shown_->match(
        shown_->index(0, 0), ClaimCompareModel::DiffersRole, true, 1, Qt::MatchExactly);
    firstDifference_ = differing.isEmpty() ? -1 : differing.constFirst().row();
    showFirstDifference();
    keyA_ = row.a.key(row.unit);
    open_->setEnabled(!keyA_.empty());

    const QString unit = capitalised(qm::unitWord(row.unit));
    QString summary;
    if (!unreadable.isEmpty())
        summary = QStringLiteral("File %1 has changed: its %2 is no longer where the comparison "
                                 "found it.")
                      .arg(unreadable.join(QStringLiteral(" and ")), unit.toLower());
    else if (!row.b.present())
        summary = QStringLiteral("%1 only in A (removed).").arg(unit);
    else if (!row.a.present())
        summary = QStringLiteral("%1 only in B (added).").arg(unit);
    else
        summary = model_->differingRows() == 1
                      ? QStringLiteral("1 field differs.")
                      : QStringLiteral("%1 fields differ.").arg(model_->differingRows());
    if (row.kind == qm::DifferenceKind::Moved)
        summary = QStringLiteral("Moved from batch %1 in A to batch %2 in B. ")
                      .arg(QString::fromStdString(row.a.batchKey()),
                           QString::fromStdString(row.b.batchKey())) +
                  summary;
    summary_->setText(summary);
    setWindowTitle(QStringLiteral("Side by Side: %1 %2").arg(unit, CoreText::fromFile(row.number)));
}

void frmClaimCompare::compareLine(const Files& files, const CompareRow& row) {
    const std::array<const qm::UnitPlace*, 2> places{&row.a, &row.b};
    const std::array<qm::OpenClaimFile*, 2> sides{files.a.get(), files.b.get()};
    for (int side = 0; side < 2; ++side) {
        const qm::UnitPlace& place = *places[std::size_t(side)];
        const QString letter = side == 0 ? QStringLiteral("A") : QStringLiteral("B");
        QLabel* title = titles_[std::size_t(side)];
        title->setToolTip(letter + QStringLiteral(": ") +
                          CoreText::toPath(sides[std::size_t(side)]->path()));
        title->setText(place.present() ? QStringLiteral("%1: line %2").arg(letter).arg(place.line)
                                       : letter + QStringLiteral(": not in this file"));
    }
    model_->setLine(row.a, row.b);
    fitColumns();
    scrolledTo_ = 0;
    firstDifference_ = -1;
    // A line has no node of its own in the file tree.
    keyA_.clear();
    open_->setEnabled(false);
    const QString what = CoreText::fromFile(row.name);
    summary_->setText(!row.b.present()   ? QStringLiteral("Line only in A (removed): %1.").arg(what)
                      : !row.a.present() ? QStringLiteral("Line only in B (added): %1.").arg(what)
                                         : QStringLiteral("The line differs: %1.").arg(what));
    const qm::UnitPlace& shown = row.a.present() ? row.a : row.b;
    setWindowTitle(QStringLiteral("Side by Side: Line %1").arg(shown.line));
}

void frmClaimCompare::fitColumns() {
    // Record, field and name as wide as they are; the value takes the rest.
    // A long name gives way to the value (its tooltip has all of it).
    const int widestName = kWidestNameCharacters * fontMetrics().averageCharWidth();
    for (QTableView* grid : grids_) {
        for (int column = 0; column < ClaimCompareModel::ColumnCount; ++column) {
            const int part = column % ClaimCompareModel::kSideColumns;
            if (grid->isColumnHidden(column) || part == ClaimCompareModel::ValueA)
                continue;
            grid->resizeColumnToContents(column);
            if (part == ClaimCompareModel::NameA)
                grid->setColumnWidth(column, qMin(grid->columnWidth(column), widestName));
        }
    }
}

void frmClaimCompare::showFirstDifference() {
    if (firstDifference_ < 0)
        return;
    QTableView* grid = grids_[0];
    const QModelIndex index = shown_->index(firstDifference_, 0);
    grid->scrollTo(index, QAbstractItemView::PositionAtCenter);
    // Until the grid is laid out it has no room to scroll in: try again then.
    if (grid->viewport()->rect().contains(grid->visualRect(index)))
        firstDifference_ = -1;
}
