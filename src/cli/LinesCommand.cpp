#include "LinesCommand.h"

#include "ClaimFile.h"
#include "CommandLine.h"
#include "core/check/FileCheck.h"
#include "core/check/ProblemWords.h"
#include "core/common/FileText.h"
#include "core/layouts/RecordTypes.h"
#include "core/lines/LineIndex.h"
#include "core/lines/LineProblems.h"
#include "core/report/BlockOutput.h"
#include "core/report/JsonWriter.h"

#include <string>

namespace qm::cli {

namespace {

// What kind of line it is, as a word of JSON and in text.
std::string_view kindKey(LineIndex::Kind kind) {
    switch (kind) {
    case LineIndex::Kind::Record:
        return "record";
    case LineIndex::Kind::ShortLine:
        return "short_line";
    case LineIndex::Kind::CutLastLine:
        return "cut_last_line";
    case LineIndex::Kind::UnknownRecordType:
        return "unknown_record_type";
    case LineIndex::Kind::RecordAfterFileTrailer:
        return "record_after_file_trailer";
    }
    return "record";
}

std::string_view kindWords(LineIndex::Kind kind) {
    switch (kind) {
    case LineIndex::Kind::Record:
        return "record";
    case LineIndex::Kind::ShortLine:
        return "short line";
    case LineIndex::Kind::CutLastLine:
        return "cut last line";
    case LineIndex::Kind::UnknownRecordType:
        return "unknown record type";
    case LineIndex::Kind::RecordAfterFileTrailer:
        return "record after the file trailer";
    }
    return "record";
}

// The verdict over the rows of the lines listed, as check gives it over all.
struct Verdict {
    std::int64_t lines = 0;
    std::int64_t problems = 0;
    bool failed = false;
    bool notChecked = false;

    void count(const std::vector<ProblemRow>& rows) {
        ++lines;
        for (const ProblemRow& row : rows) {
            ++problems;
            // As check: a rule's warning or note fails nothing.
            if (Problem::meansNotChecked(row.problem.kind))
                notChecked = true;
            else if (row.problem.severity() == Problem::Severity::Error)
                failed = true;
        }
    }
};

struct Listing {
    ClaimFile& file;
    const LineIndex& index;
    const LineProblems& problems;
    std::int64_t from;
    std::int64_t count;
};

std::string countLine(const Listing& listing, const Verdict& verdict) {
    const std::string total = std::to_string(listing.index.lineCount());
    if (verdict.lines == 0)
        return "Lines: none from line " + std::to_string(listing.from) + " on, of " + total + '\n';
    return "Lines: " + std::to_string(listing.from) + " to " +
           std::to_string(listing.from + verdict.lines - 1) + " of " + total + ", " +
           std::to_string(verdict.problems) + (verdict.problems == 1 ? " problem" : " problems") +
           " on them\n";
}

Verdict writeText(const Listing& listing, std::ostream& out) {
    Verdict verdict;
    BlockOutput output(out);
    std::string& text = output.text();
    const LayoutCatalogue* layouts = listing.file.layouts().get();
    listing.index.forEach(listing.from, listing.count, [&](const LineIndex::Line& line) {
        text += std::to_string(line.number) + " @" + std::to_string(line.position) + ' ';
        if (line.type().empty())
            text += '-';
        else
            FileText::appendPrintable(text, line.type());
        text += ' ';
        text += kindWords(line.kind);
        text += ": ";
        FileText::appendPrintable(text, line.bytes);
        text += '\n';
        const std::vector<ProblemRow> rows = listing.problems.at(line.number);
        for (const ProblemRow& row : rows) {
            text += "  problem: ";
            ProblemWords::appendLine(text, row, layouts, ProblemWords::Bytes::Printable);
            text += '\n';
        }
        verdict.count(rows);
        output.done();
        return true;
    });
    text += countLine(listing, verdict);
    return verdict;
}

const JsonShape& lineShape() {
    static const JsonShape shape({"line", "position", "type", "type_name", "known_type", "in_map",
                                  "kind", "length", "cut", "text", "problems"});
    return shape;
}

const JsonShape& problemShape() {
    static const JsonShape shape({"kind", "text"});
    return shape;
}

void writeLineJson(JsonWriter& json, const LineIndex::Line& line,
                   const std::vector<ProblemRow>& rows, const LayoutCatalogue* layouts) {
    json.beginObject(lineShape()).value(line.number).value(line.position).fileString(line.type());
    if (line.typeIndex >= 0)
        json.plainValue(kRecordTypeNames[std::size_t(line.typeIndex)]);
    else
        json.null();
    json.value(line.typeIndex >= 0)
        .value(line.inLayouts)
        .plainValue(kindKey(line.kind))
        .value(std::int64_t(line.bytes.size()))
        .value(line.cut)
        .fileString(line.bytes)
        .beginArray();
    std::string words;
    for (const ProblemRow& row : rows) {
        words.clear();
        ProblemWords::appendLine(words, row, layouts);
        json.beginObject(problemShape())
            .plainValue(ProblemWords::kindKey(row.problem.kind))
            .value(words)
            .endObject();
    }
    json.endArray().endObject();
}

Verdict writeJson(const Listing& listing, std::ostream& out) {
    Verdict verdict;
    JsonWriter json(out);
    json.raw("{\n\"file\": ").value(FileText::pathToUtf8(listing.file.path()));
    json.raw(",\n\"lines\": [");
    listing.index.forEach(listing.from, listing.count, [&](const LineIndex::Line& line) {
        const std::vector<ProblemRow> rows = listing.problems.at(line.number);
        json.raw(verdict.lines == 0 ? "\n" : ",\n");
        writeLineJson(json, line, rows, listing.file.layouts().get());
        verdict.count(rows);
        return true;
    });
    json.raw("\n],\n\"summary\": {\"from\": " + std::to_string(listing.from) +
             ", \"lines\": " + std::to_string(verdict.lines) +
             ", \"lines_in_file\": " + std::to_string(listing.index.lineCount()) +
             ", \"problems\": " + std::to_string(verdict.problems) + "}\n}\n");
    return verdict;
}

} // namespace

int LinesCommand::run(ClaimFile& file, std::int64_t from, std::int64_t count, bool json, int jobs,
                      std::ostream& out) {
    // The check names the lines its rows are about; only those listed are kept.
    const std::int64_t last = from > INT64_MAX - count ? INT64_MAX : from + count - 1;
    LineProblems problems(from, last);
    FileCheck::Options options;
    options.jobs = jobs;
    options.rules = file.rules();
    const FileCheck::Summary summary =
        FileCheck::run(file.file(), file.layouts(), options, problems);
    problems.finish();
    LineIndex index;
    if (!index.build(file.file(), file.layouts()))
        return kExitError;
    const Listing listing{file, index, problems, from, count};
    const Verdict verdict = json ? writeJson(listing, out) : writeText(listing, out);
    if (verdict.failed)
        return kExitChecksFailed;
    return verdict.notChecked || summary.fileChanged ? kExitNotChecked : kExitOk;
}

} // namespace qm::cli
