#include "TreeCommand.h"

#include "ClaimFile.h"
#include "CommandLine.h"
#include "FilterOption.h"
#include "core/common/FileText.h"
#include "core/filetree/FileTree.h"
#include "core/filetree/NodeParents.h"
#include "core/filetree/TreeScan.h"
#include "core/filter/FilteredCheck.h"
#include "core/report/BlockOutput.h"
#include "core/report/JsonWriter.h"
#include "core/report/ReportText.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

namespace qm::cli {

namespace {

// Columns of tree --claims: a key of a file of terabytes, a patient's name
// as the node text gives it (20 + 2 + 12 characters).
constexpr std::size_t kKeyWidth = 16;
constexpr std::size_t kNameWidth = 34;

// The claims and batches a filter leaves in the tree: the claims that match,
// by their index in tree order, and the batches that hold one, by position.
// Without a filter, everything.
struct Shown {
    bool filtered = false;
    std::vector<bool> claims;
    std::vector<std::int64_t> batches; // ascending, as claims come in file order
    std::int64_t matched = 0;
    std::int64_t claimsInFile = 0;

    bool claim(std::int64_t index) const {
        return !filtered || (std::size_t(index) < claims.size() && claims[std::size_t(index)]);
    }
    bool batch(std::int64_t position) const {
        return !filtered || std::binary_search(batches.begin(), batches.end(), position);
    }
};

// What the filter chooses, from the whole-file check's pass (the filter may
// ask for the claims' problems).
Shown shownBy(ClaimFile& file, const ClaimFilter& filter, int jobs) {
    Shown shown;
    shown.filtered = true;
    FilteredCheck::Options options;
    options.filter = &filter;
    options.onClaim = [&shown](const ClaimListRow& row, bool matched) {
        shown.claims.push_back(matched);
        if (matched && row.batchPosition >= 0 &&
            (shown.batches.empty() || shown.batches.back() != row.batchPosition))
            shown.batches.push_back(row.batchPosition);
    };
    FileCheck::Options passOptions;
    passOptions.jobs = jobs;
    passOptions.rules = file.rules();
    const FilteredCheck::Result result =
        FilteredCheck::claims(file.file(), file.layouts(), passOptions, options);
    shown.matched = result.matched;
    shown.claimsInFile = result.file.claims;
    return shown;
}

// Whether the next node in tree order is shown: counts the claims met so far.
struct NodeCounter {
    std::int64_t claims = 0;
    bool next(NodeText::Shape shape, std::int64_t position, const Shown& shown) {
        if (shape == NodeText::kClaim)
            return shown.claim(claims++);
        if (shape != NodeText::kHeader)
            return shown.batch(position);
        return true;
    }
};

void writeClaimRows(const FileTree& tree, const Shown& shown, std::ostream& out) {
    out << ReportText::padded("Key", kKeyWidth) << ReportText::padded("Patient", kNameWidth)
        << "  Control Number\n";
    std::string line;
    std::int64_t claim = 0;
    for (std::int64_t node = 0; node < tree.size(); ++node) {
        if (tree.recordType(node) != "CA0" || !shown.claim(claim++))
            continue;
        line = ReportText::padded(tree.key(node), kKeyWidth);
        line += ReportText::padded(FileText::toPrintable(tree.patientName(node)), kNameWidth);
        line += "  ";
        FileText::appendPrintable(line, tree.controlNumber(node));
        line.erase(line.find_last_not_of(' ') + 1);
        out << line << '\n';
    }
}

// The claims alone, with their patients and control numbers, from the tree.
void writeClaimsJson(const FileTree& tree, const Shown& shown, JsonWriter& writer) {
    static const JsonShape kClaim({"index", "key", "text", "parent", "patient", "control_number"});
    FileTree::TextBuffer text; // node texts are put together here, not allocated
    bool first = true;
    std::int64_t claim = 0;
    for (std::int64_t node = 0; node < tree.size(); ++node) {
        if (tree.recordType(node) != "CA0" || !shown.claim(claim++))
            continue;
        writer.raw(first ? "\n" : ",\n");
        first = false;
        writer.beginObject(kClaim)
            .value(node + 1)
            .plainValue(tree.key(node))
            .fileString(tree.text(node, text));
        const std::int64_t parent = tree.parent(node);
        if (parent == FileTree::kNoNode)
            writer.null();
        else
            writer.plainValue(tree.key(parent));
        writer.fileString(tree.patientName(node)).fileString(tree.controlNumber(node)).endObject();
    }
}

// One node of the listing as JSON, the index-th: its index, key, text and
// parent's key, the keys put together in place.
void writeNodeJson(JsonWriter& writer, bool first, std::int64_t index, std::int64_t position,
                   const NodeText::Fields& fields, const NodeParents::Place& place,
                   NodeText& text) {
    static const JsonShape kNode({"index", "key", "text", "parent"});
    char key[FileTree::kKeyRoom];
    writer.raw(first ? "\n" : ",\n");
    const char* end = FileTree::writeKey(key, NodeText::recordType(fields.shape), position);
    writer.beginObject(kNode)
        .value(index)
        .plainValue(std::string_view(key, std::size_t(end - key)))
        .fileString(text.make(fields));
    if (place.parent < 0) {
        writer.null();
    } else {
        end = FileTree::writeKey(key, NodeText::recordType(place.parentShape), place.parent);
        writer.plainValue(std::string_view(key, std::size_t(end - key)));
    }
    writer.endObject();
}

// One line of the listing: indent, key, text. Ten million of them go out
// for a big file, so a plain line is put together here and appended once;
// appending its pieces one by one cost more than reading the file.
void appendNodeLine(std::string& out, int depth, std::int64_t position,
                    const NodeText::Fields& fields, NodeText& text) {
    // Indent, "CA0", the digits of a 64-bit position, two blanks, the text, a newline.
    char line[8 + FileTree::kKeyRoom + 2 + NodeText::kRoom + 1];
    char* p = line;
    std::memset(p, ' ', 8); // at most four ancestors' worth; the key overwrites the rest
    p = FileTree::writeKey(p + 2 * depth, NodeText::recordType(fields.shape), position);
    *p++ = ' ';
    *p++ = ' ';
    if (NodeText::isPlain(fields)) {
        p = NodeText::write(fields, p);
        *p++ = '\n';
        out.append(line, std::size_t(p - line));
        return;
    }
    out.append(line, std::size_t(p - line));
    FileText::appendPrintable(out, text.make(fields));
    out += '\n';
}

// The node counts of the listing, as the viewer's status bar gives them.
struct Counts {
    std::int64_t nodes = 0, batches = 0, claims = 0;
    void count(NodeText::Shape shape) {
        ++nodes;
        claims += shape == NodeText::kClaim ? 1 : 0;
        batches += shape != NodeText::kClaim && shape != NodeText::kHeader ? 1 : 0;
    }
};

// Every node the filter shows, in file order, with where it sits in the
// tree; every node counted, shown or not.
template <typename Visit>
void forEachShownNode(ClaimFile& file, const Shown& shown, Counts& counts, Visit visit) {
    NodeParents parents;
    NodeCounter counter;
    TreeScan::run(
        file.file(), nullptr,
        [&](std::int64_t position, const NodeText::Fields& fields) {
            const NodeParents::Place place = parents.meet(fields.shape, position);
            counts.count(fields.shape);
            if (counter.next(fields.shape, position, shown))
                visit(position, fields, place);
        },
        [](char, std::int64_t) {});
}

// The whole tree as one reading of the file meets it, in file order: a
// listing needs no tree in memory. A node is known by its position here,
// and its text and line are put together at the end of what is to be
// written, a block at a time.
void writeText(ClaimFile& file, bool claimsOnly, const Shown& shown, std::ostream& out) {
    NodeText text;
    Counts counts;
    BlockOutput output(out);
    std::string& line = output.text();
    line += "NSF File Tree (" + FileText::toPrintable(FileText::pathToUtf8(file.path())) + ")\n";
    line += "Version: " + FileText::toPrintable(file.result().versionCode) + '\n';
    if (claimsOnly) {
        output.flush();
        const FileTree& tree = file.tree();
        writeClaimRows(tree, shown, out);
        counts.batches = tree.BatchCount;
        counts.claims = tree.ClaimCount;
    } else {
        forEachShownNode(file, shown, counts,
                         [&](std::int64_t position, const NodeText::Fields& fields,
                             const NodeParents::Place& place) {
                             appendNodeLine(line, place.depth, position, fields, text);
                             output.done();
                         });
    }
    // The texts of the viewer's status bar.
    line += "BA0 Count: " + std::to_string(counts.batches) + '\n';
    line += "CA0 Count: " + std::to_string(counts.claims) + '\n';
    if (shown.filtered)
        line += "Showing " + std::to_string(shown.matched) + " of " +
                std::to_string(shown.claimsInFile) + " claims\n";
}

void writeJson(ClaimFile& file, bool claimsOnly, const Shown& shown, std::ostream& out) {
    NodeText text;
    Counts counts;
    JsonWriter writer(out);
    writer.raw("{\n\"file\": ").value(FileText::pathToUtf8(file.path()));
    writer.raw(",\n\"version\": ").fileString(file.result().versionCode);
    writer.raw(",\n\"nodes\": [");
    if (claimsOnly) {
        const FileTree& tree = file.tree();
        writeClaimsJson(tree, shown, writer);
        counts.batches = tree.BatchCount;
        counts.claims = tree.ClaimCount;
    } else {
        bool first = true;
        forEachShownNode(file, shown, counts,
                         [&](std::int64_t position, const NodeText::Fields& fields,
                             const NodeParents::Place& place) {
                             writeNodeJson(writer, first, counts.nodes, position, fields, place,
                                           text);
                             first = false;
                         });
    }
    writer.raw("\n],\n\"batches\": " + std::to_string(counts.batches) +
               ",\n\"claims\": " + std::to_string(counts.claims));
    if (shown.filtered)
        writer.raw(",\n\"claims_shown\": " + std::to_string(shown.matched));
    writer.raw("\n}\n");
}

} // namespace

int TreeCommand::run(ClaimFile& file, bool json, bool claimsOnly, const std::string& filter,
                     int jobs, std::ostream& out, std::ostream& err) {
    Shown shown;
    if (!filter.empty()) {
        const std::optional<ClaimFilter> compiled = FilterOption::compile(file, filter, err);
        if (!compiled)
            return kExitError;
        shown = shownBy(file, *compiled, jobs);
    }
    if (json)
        writeJson(file, claimsOnly, shown, out);
    else
        writeText(file, claimsOnly, shown, out);
    return kExitOk;
}

} // namespace qm::cli
