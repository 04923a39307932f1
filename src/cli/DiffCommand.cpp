#include "DiffCommand.h"

#include "ClaimFile.h"
#include "CommandLine.h"
#include "core/common/FileText.h"
#include "core/compare/CompareReport.h"

namespace qm::cli {

namespace {

// Opens one of the two files; what went wrong names the file it is about.
bool open(ClaimFile& file, const std::string& path, const CommandLine& commandLine,
          std::ostream& err) {
    const bool opened = file.open(path, commandLine.mapsDir(), commandLine.lineEnds());
    for (const std::string& line : file.messages())
        err << "quillmark-cli: " << FileText::toPrintable(FileText::pathToUtf8(path)) << ": "
            << line << '\n';
    return opened;
}

CompareReport::Side sideOf(ClaimFile& file) {
    return {FileText::pathToUtf8(file.path()), file.result().versionCode};
}

} // namespace

int DiffCommand::run(const CommandLine& commandLine, std::ostream& out, std::ostream& err) {
    ClaimFile a;
    ClaimFile b;
    if (!open(a, commandLine.file(), commandLine, err) ||
        !open(b, commandLine.otherFile(), commandLine, err))
        return kExitError;
    CompareReport report(out, commandLine.json(), sideOf(a), sideOf(b), commandLine.match());
    FileComparison::Options options;
    options.match = commandLine.match();
    const FileComparison::Summary summary =
        FileComparison::run({a.file(), a.layouts()}, {b.file(), b.layouts()}, options,
                            [&report](Difference&& difference) { report.add(difference); });
    report.finish(summary);
    // What was read of a file that changed meanwhile is neither file.
    bool changed = false;
    for (const auto& [file, flag] :
         {std::make_pair(&a, summary.changedA), std::make_pair(&b, summary.changedB)}) {
        if (!flag)
            continue;
        changed = true;
        err << "quillmark-cli: " << FileText::toPrintable(FileText::pathToUtf8(file->path()))
            << ": the file changed while it was compared; the comparison may be wrong\n";
    }
    // Differences that could not be read back may be missing: no verdict.
    if (summary.incomplete)
        err << "quillmark-cli: the comparison's temporary file could not be read back; some "
               "differences may be missing\n";
    if (changed || summary.incomplete)
        return kExitError;
    return summary.total() ? kExitFilesDiffer : kExitOk;
}

} // namespace qm::cli
