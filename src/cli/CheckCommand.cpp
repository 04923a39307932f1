#include "CheckCommand.h"

#include "ClaimFile.h"
#include "CommandLine.h"
#include "FilterOption.h"
#include "PdfFile.h"
#include "core/check/FileCheck.h"
#include "core/check/ProblemCollector.h"
#include "core/common/FileText.h"
#include "core/filter/FilteredCheck.h"
#include "core/report/CheckReport.h"
#include "print/PrintText.h"
#include "print/ProblemRows.h"

#include <QPdfWriter>

namespace qm::cli {

namespace {

// Keeps every row the check hands on in a store, as the viewer's check
// does, a slice at a time.
class StoreFiller : public FileCheck::Consumer {
public:
    StoreFiller(const FileTree& tree, ProblemStore& store)
        : collector_(tree)
        , store_(store) {}

    void batch(const FileCheck::Batch& batch) override { collector_.batch(batch); }
    void claim(const FileCheck::Claim& claim) override {
        collector_.claim(claim);
        keep(false);
    }
    void trailer(const FileCheck::Trailer& trailer) override {
        collector_.trailer(trailer);
        keep(false);
    }
    void problem(const ProblemRow& row) override {
        collector_.problem(row);
        keep(false);
    }
    // Takes what is gathered into the store: all of it, or once there is a slice.
    void keep(bool all) {
        if (all || collector_.pending().size() >= 4096) {
            const ProblemStore::Pending pending = collector_.take();
            store_.append(pending, 0, pending.size());
        }
    }

private:
    ProblemCollector collector_;
    ProblemStore& store_;
};

// The check's rows printed as the Problems window prints them.
bool writePdf(ClaimFile& file, const std::shared_ptr<const ProblemStore>& store,
              const std::string& filter, const FileCheck::Summary& summary,
              std::int64_t claimsInFile, const PdfOption& pdf, std::ostream& err) {
    const QString path = QString::fromStdString(FileText::pathToUtf8(file.path()));
    std::vector<TableDocument::Line> more;
    if (!filter.empty())
        more.push_back(
            {QStringLiteral("Filter"),
             QStringLiteral("%1: %2 of %3 claims match")
                 .arg(QString::fromStdString(FileText::pathToUtf8(filter)),
                      PrintText::number(summary.claims), PrintText::number(claimsInFile))});
    const ProblemRows rows(store, file.layouts());
    PrintOptions options;
    options.fileName = path.mid(path.lastIndexOf(QLatin1Char('/')) + 1);
    options.title = QStringLiteral("Problems of ") + options.fileName;
    options.firstPages = pdf.maxPages();
    TableDocument document({rows.section(path, std::move(more))},
                           TableDocument::Orientation::Landscape);
    return PdfFile::write(
        pdf, file.path(), options.title,
        [&](QPdfWriter& writer) {
            return document.printAll(writer, options) == TableDocument::Outcome::Printed;
        },
        err);
}

} // namespace

int CheckCommand::run(ClaimFile& file, bool json, bool problemsOnly, const std::string& filter,
                      int jobs, bool strict, const PdfOption& pdf, std::ostream& out,
                      std::ostream& err) {
    std::optional<ClaimFilter> compiled;
    if (!filter.empty() && !(compiled = FilterOption::compile(file, filter, err)))
        return kExitError;
    // A PDF that could never be written is said before the file is read.
    if (pdf.given() && !PdfFile::mayWrite(pdf, file.path(), err))
        return kExitError;
    std::shared_ptr<ProblemStore> store;
    std::unique_ptr<StoreFiller> filler;
    std::unique_ptr<CheckReport> report;
    FileCheck::Consumer* consumer = nullptr;
    if (pdf.given()) {
        file.tree();
        store = std::make_shared<ProblemStore>(file.openFile().tree());
        filler = std::make_unique<StoreFiller>(*store->tree(), *store);
        consumer = filler.get();
    } else {
        report = std::make_unique<CheckReport>(out, json, problemsOnly, file.layouts());
        report->noteRules(file.rules());
        report->noteJobs(jobs);
        consumer = report.get();
    }
    FileCheck::Options options;
    options.jobs = jobs;
    options.rules = file.rules();
    FileCheck::Summary summary;
    std::int64_t claimsInFile = 0;
    if (compiled) {
        // Only the claims that match, with their problems; the file's and
        // the batches' own problems stay, and the summary counts what is shown.
        FilteredCheck::Options filtered;
        filtered.filter = &*compiled;
        filtered.next = consumer;
        const FilteredCheck::Result result =
            FilteredCheck::run(file.file(), file.layouts(), options, filtered);
        summary = result.shown;
        claimsInFile = result.file.claims;
        if (report)
            report->noteFilter(filter, claimsInFile);
    } else {
        summary = FileCheck::run(file.file(), file.layouts(), options, *consumer);
    }
    if (filler) {
        filler->keep(true);
        store->finish(summary);
        if (!writePdf(file, store, filter, summary, claimsInFile, pdf, err))
            return kExitError;
    } else if (!report->finish(summary)) {
        err << "quillmark-cli: cannot write the output: the problem rows kept for it could not "
               "be read back\n";
        return kExitError;
    }
    // A file that changed while it was read gives no verdict either way.
    if (summary.fileChanged)
        return kExitNotChecked;
    if (summary.failed || (strict && summary.warnings + summary.notes > 0))
        return kExitChecksFailed;
    return summary.notChecked ? kExitNotChecked : kExitOk;
}

} // namespace qm::cli
