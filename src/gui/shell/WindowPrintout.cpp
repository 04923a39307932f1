#include "gui/shell/WindowPrintout.h"

#include "core/filetree/FileTree.h"
#include "core/openfile/OpenClaimFile.h"
#include "gui/claimform/frmClaimForm.h"
#include "gui/common/CoreText.h"
#include "gui/document/ClaimDocument.h"
#include "gui/document/ProblemCheck.h"
#include "gui/problems/ProblemTableModel.h"
#include "gui/problems/frmProblems.h"
#include "gui/results/ResultsFilterModel.h"
#include "gui/results/ResultsTableView.h"
#include "gui/results/ResultsWindow.h"
#include "gui/summary/frmSummary.h"
#include "print/ClaimRows.h"
#include "print/ModelRows.h"
#include "print/PrintText.h"
#include "print/ProblemRows.h"
#include "print/charts/SummaryPages.h"

#include <QComboBox>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>

namespace {

// The filters a results window has set, as lines above its rows.
std::vector<TableDocument::Line> filterLines(const ResultsWindow& window) {
    std::vector<TableDocument::Line> lines;
    const auto* category = window.findChild<QComboBox*>(QStringLiteral("cboCategory"));
    if (category && category->isVisibleTo(&window) && category->currentIndex() > 0)
        lines.push_back({QStringLiteral("Showing"), category->currentText()});
    const auto* text = window.findChild<QLineEdit*>(QStringLiteral("txtFilter"));
    if (text && !text->text().isEmpty())
        lines.push_back({QStringLiteral("Filter"), text->text()});
    if (!lines.empty())
        lines.push_back(
            {QStringLiteral("Rows"),
             QStringLiteral("%1 of %2")
                 .arg(PrintText::number(window.shownRows()->rowCount()),
                      PrintText::number(window.shownRows()->sourceModel()->rowCount()))});
    return lines;
}

} // namespace

WindowPrintout::~WindowPrintout() = default;

std::unique_ptr<WindowPrintout> WindowPrintout::of(QWidget* view, const ClaimDocument* document) {
    std::unique_ptr<WindowPrintout> printout;
    if (!view || !document)
        return printout;
    if (qobject_cast<frmClaimForm*>(view))
        printout = claimForm(view, *document);
    else if (qobject_cast<frmProblems*>(view))
        printout = problems(view, *document);
    else if (qobject_cast<frmSummary*>(view))
        printout = summary(view, *document);
    else if (qobject_cast<ResultsWindow*>(view))
        printout = results(view);
    if (printout)
        printout->options_.fileName = QFileInfo(document->path()).fileName();
    return printout;
}

std::unique_ptr<WindowPrintout> WindowPrintout::claimForm(QWidget* view,
                                                          const ClaimDocument& document) {
    auto* form = static_cast<frmClaimForm*>(view);
    if (!form->claim() || !document.tree())
        return nullptr;
    std::unique_ptr<WindowPrintout> printout(new WindowPrintout);
    ClaimRows::Place place;
    place.key = PrintText::fromFile(form->claimKey());
    place.filePath = document.path();
    const qm::FileTree& tree = *document.tree();
    if (const std::optional<std::int64_t> node = tree.findKey(form->claimKey())) {
        place.text = PrintText::fromFile(tree.text(*node));
        const std::int64_t parent = tree.parent(*node);
        if (parent >= 0 && tree.recordType(parent) == "BA0")
            place.batchKey = PrintText::fromFile(tree.key(parent));
    }
    // A copy of the form's claim, a few records: the form may be given
    // another while the pages are shown.
    auto rows = std::make_unique<ClaimRows>(
        std::make_shared<const qm::AssembledClaim>(*form->claim()),
        ClaimRows::Mark{CoreText::toFileBytes(form->shownNodeKey()), form->currentFieldSlot()});
    printout->document_ =
        std::make_unique<TableDocument>(std::vector<TableDocument::Section>{rows->section(place)},
                                        TableDocument::Orientation::Portrait);
    printout->rows_.push_back(std::move(rows));
    printout->options_.title = QStringLiteral("Claim form ") + place.key;
    printout->fileNamePart_ = QStringLiteral("claim-") + place.key;
    return printout;
}

std::unique_ptr<WindowPrintout> WindowPrintout::problems(QWidget* view,
                                                         const ClaimDocument& document) {
    auto* window = static_cast<frmProblems*>(view);
    const ProblemCheck* check = window->check();
    const std::shared_ptr<const qm::LayoutCatalogue> layouts = document.sharedFile()->layouts();
    if (!check || !check->store() || !layouts || window->shownRows()->rowCount() == 0)
        return nullptr;
    std::unique_ptr<WindowPrintout> printout(new WindowPrintout);
    const QPointer<frmProblems> shown(window);
    auto rows = std::make_unique<ProblemRows>(
        check->store(), layouts, window->shownRows()->rowCount(),
        [shown](std::int64_t row) -> std::int64_t {
            // A window closed while it prints leaves the rows it had: the first.
            if (!shown)
                return 0;
            return shown->problems()->storeRow(shown->sourceRow(int(row)));
        });
    printout->document_ = std::make_unique<TableDocument>(
        std::vector<TableDocument::Section>{rows->section(document.path(), filterLines(*window))},
        TableDocument::Orientation::Landscape);
    printout->rows_.push_back(std::move(rows));
    printout->mayBeLong_ = true;
    printout->fileNamePart_ = QStringLiteral("problems");
    printout->options_.title =
        QStringLiteral("Problems of ") + QFileInfo(document.path()).fileName();
    return printout;
}

std::unique_ptr<WindowPrintout> WindowPrintout::summary(QWidget* view,
                                                        const ClaimDocument& document) {
    auto* window = static_cast<frmSummary*>(view);
    if (!window->statistics())
        return nullptr;
    std::unique_ptr<WindowPrintout> printout(new WindowPrintout);
    printout->summary_ = window;
    printout->fileNamePart_ = QStringLiteral("summary");
    printout->options_.title =
        QStringLiteral("File Summary of ") + QFileInfo(document.path()).fileName();
    return printout;
}

std::unique_ptr<WindowPrintout> WindowPrintout::results(QWidget* view) {
    auto* window = static_cast<ResultsWindow*>(view);
    if (window->shownRows()->rowCount() == 0)
        return nullptr;
    std::unique_ptr<WindowPrintout> printout(new WindowPrintout);
    // The columns the table shows, as it orders them.
    std::vector<int> columns;
    const ResultsTableView* table = window->table();
    const QAbstractItemModel& model = *window->shownRows();
    for (int visual = 0; visual < model.columnCount(); ++visual) {
        const int column = table->horizontalHeader()->logicalIndex(visual);
        if (column >= 0 && !table->isColumnHidden(column))
            columns.push_back(column);
    }
    auto rows = std::make_unique<ModelRows>(model, std::move(columns));
    printout->document_ =
        std::make_unique<TableDocument>(std::vector<TableDocument::Section>{rows->section(
                                            window->windowTitle(), filterLines(*window))},
                                        TableDocument::Orientation::Fit);
    printout->rows_.push_back(std::move(rows));
    printout->mayBeLong_ = true;
    // "frmSearchResults": "searchresults".
    printout->fileNamePart_ = window->objectName().mid(3).toLower();
    printout->options_.title = window->windowTitle();
    return printout;
}

std::optional<std::int64_t> WindowPrintout::paginate(QPagedPaintDevice& device,
                                                     const PrintOptions& options) {
    // The summary is a page or two of charts.
    return document_ ? document_->paginate(device, options) : std::optional<std::int64_t>(1);
}

TableDocument::Outcome WindowPrintout::print(QPagedPaintDevice& device,
                                             const PrintOptions& options) {
    printed_ = 0;
    if (document_) {
        printed_ = document_->pagesToPrint(options);
        return document_->print(device, options);
    }
    auto* window = qobject_cast<frmSummary*>(summary_.data());
    if (!window)
        return TableDocument::Outcome::Failed;
    std::vector<SummaryPages::Figure> figures;
    for (const QPair<QString, QString>& figure : window->figures())
        figures.push_back({figure.first, figure.second});
    // What the figures are about to say (lblStatus), while the check runs.
    QStringList notes;
    const auto* status = window->findChild<QLabel*>(QStringLiteral("lblStatus"));
    if (status && !status->isHidden() && !status->text().isEmpty())
        notes << status->text();
    // The summary's pages are counted as they are drawn: progress is told them.
    PrintOptions counted = options;
    printed_ = 1;
    counted.progress = [this, &options](std::int64_t done, std::int64_t total) {
        printed_ = total;
        return !options.progress || options.progress(done, total);
    };
    return SummaryPages::print(device, counted, figures, notes, window->charts());
}
