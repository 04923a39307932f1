#include "core/report/CheckReport.h"

#include "core/check/ProblemWords.h"
#include "core/common/FileText.h"
#include "core/filetree/FileTree.h"
#include "core/filetree/NodeText.h"
#include "core/report/ClaimListJson.h"
#include "core/report/JsonWriter.h"
#include "core/report/ProblemListJson.h"
#include "core/report/ReportText.h"

#include <cstring>
#include <sstream>

namespace qm {

namespace {

// A file tree key, "CA0" and the position, at the end of a line.
void appendKey(std::string& line, std::string_view type, std::int64_t position) {
    char key[FileTree::kKeyRoom];
    line.append(key, FileTree::writeKey(key, type, position));
}

// A node's key and text, "CA0645  CA0: ...": one append when the text needs
// no escapes, as it is for claim after claim of millions.
void appendKeyAndText(std::string& line, std::string_view type, std::int64_t position,
                      std::string_view text) {
    char keyed[FileTree::kKeyRoom + 2 + NodeText::kMaxLength];
    char* end = FileTree::writeKey(keyed, type, position);
    *end++ = ' ';
    *end++ = ' ';
    if (text.size() <= NodeText::kMaxLength && FileText::isPlain(text)) {
        if (!text.empty())
            std::memcpy(end, text.data(), text.size());
        line.append(keyed, end + text.size());
        return;
    }
    line.append(keyed, end);
    FileText::appendPrintable(line, text);
}

// A file tree key put together in place, for JSON: rows of millions of
// claims make no string for each.
class Key {
public:
    Key(std::string_view type, std::int64_t position)
        : end_(FileTree::writeKey(text_, type, position)) {}
    std::string_view view() const { return std::string_view(text_, std::size_t(end_ - text_)); }

private:
    char text_[FileTree::kKeyRoom];
    char* end_;
};

// The JSON objects written for every claim and every problem row.
const JsonShape& claimShape() {
    static const JsonShape shape({"key", "text", "totals_ok", "totals_state", "xa0_present",
                                  "unreadable", "mismatched", "mismatches", "invalid"});
    return shape;
}

const JsonShape& mismatchShape() {
    static const JsonShape shape({"id", "name", "found", "expected"});
    return shape;
}

const JsonShape& invalidShape() {
    static const JsonShape shape({"node", "id", "name", "value"});
    return shape;
}

// A trailer's verdict in words.
std::string trailerLine(const FileCheck::Trailer& trailer) {
    const bool batch = trailer.scope == Problem::Scope::Batch;
    const std::string type = batch ? "YA0" : "ZA0";
    switch (trailer.state) {
    case TrailerBalance::State::NoTrailer:
        return batch ? "no batch trailer (YA0)" : "no file trailer (ZA0)";
    case TrailerBalance::State::DoesNotBalance:
        return type + " does not balance";
    case TrailerBalance::State::CouldNotCheck:
        return type + " could not be checked";
    case TrailerBalance::State::Balances:
        break;
    }
    std::string line = type + " balances";
    switch (trailer.readings) {
    case TrailerBalance::kClaimRecordsMatched:
        return line + " (its record count counts the claims' own records)";
    case TrailerBalance::kEveryRecordMatched:
        return line + " (its record count counts every record from the " + (batch ? "BA0" : "AA0") +
               " through the " + type + ")";
    case TrailerBalance::kClaimRecordsMatched | TrailerBalance::kEveryRecordMatched:
        return line + " (its record count fits both readings)";
    default:
        return line;
    }
}

} // namespace

CheckReport::CheckReport(std::ostream& out, bool json, bool problemsOnly,
                         std::shared_ptr<const LayoutCatalogue> layouts)
    : out_(out)
    , problemsOnly_(problemsOnly)
    , json_(json ? std::make_unique<ClaimListJson>(out) : nullptr)
    , layouts_(std::move(layouts))
    , text_(out) {
    for (std::size_t state = 0; state < totalsLines_.size(); ++state)
        totalsLines_[state] =
            "\n  totals: " + ReportText::totalsLine(static_cast<TotalsState>(state), {}) + '\n';
    for (std::size_t kind = 0; kind < fixedRows_.size(); ++kind) {
        ProblemRow row;
        row.problem.kind = static_cast<Problem::Kind>(kind);
        if (!ProblemWords::wordsFixed(row.problem.kind))
            continue;
        appendRow(fixedRows_[kind], row);
    }
}

CheckReport::~CheckReport() = default;

void CheckReport::batch(const FileCheck::Batch& batch) {
    batch_ = batch.index;
    batchPosition_ = batch.position;
    if (json_ || problemsOnly_)
        return;
    std::string& line = text_.text();
    appendKeyAndText(line, "BA0", batch.position, batch.text);
    line += '\n';
    text_.done();
}

void CheckReport::claim(const FileCheck::Claim& claim) {
    claim_ = claim.index;
    claimPosition_ = claim.position;
    for (const ProblemRow& r : claim.rows)
        countRule(r);
    if (problemsOnly_ && claim.rows.empty())
        return;
    if (json_) {
        jsonClaim(claim);
        for (const ProblemRow& r : claim.rows)
            keepRow(r);
        return;
    }
    std::string& line = text_.text();
    appendKeyAndText(line, "CA0", claim.position, claim.text);
    if (claim.totals == TotalsState::DoNotCompute) {
        line += "\n  totals: do not compute, XA0 fields";
        for (const ProblemRow& r : claim.rows)
            if (r.problem.kind == Problem::Kind::TotalsDoNotCompute)
                FileText::appendPrintable(line.append(" "),
                                          ProblemWords::fieldId(r.problem, layouts_.get()));
        line += '\n';
    } else {
        line += totalsLines_[static_cast<std::size_t>(claim.totals)];
    }
    for (const ProblemRow& r : claim.rows)
        row(r);
    text_.done();
}

void CheckReport::trailer(const FileCheck::Trailer& trailer) {
    if (problemsOnly_ && trailer.rows.empty())
        return;
    if (json_) {
        for (const ProblemRow& r : trailer.rows)
            keepRow(r);
        return;
    }
    std::string& line = text_.text();
    if (trailer.scope == Problem::Scope::Batch)
        appendKey(line, "BA0", trailer.position);
    else
        line += "File";
    line += "  ";
    if (trailer.trailerLine)
        line += "line " + std::to_string(trailer.trailerLine) + ": ";
    line += trailerLine(trailer);
    line += '\n';
    for (const ProblemRow& r : trailer.rows)
        row(r);
    text_.done();
}

void CheckReport::problem(const ProblemRow& r) {
    if (json_) {
        keepRow(r);
        return;
    }
    std::string& line = text_.text();
    line += "File  ";
    if (r.problem.line)
        line += "line " + std::to_string(r.problem.line) + " (byte " +
                std::to_string(r.problem.position) + "): ";
    line.append(ProblemWords::severityKey(r.problem.severity())).append(": ");
    ProblemWords::appendLine(line, r, layouts_.get(), ProblemWords::Bytes::Printable);
    line += '\n';
    text_.done();
}

void CheckReport::row(const ProblemRow& r) {
    const std::string& fixed = fixedRows_[static_cast<std::size_t>(r.problem.kind)];
    if (fixed.empty())
        appendRow(text_.text(), r);
    else
        text_.text() += fixed;
}

void CheckReport::appendRow(std::string& line, const ProblemRow& r) const {
    line.append("  ").append(ProblemWords::severityKey(r.problem.severity())).append(": ");
    ProblemWords::appendLine(line, r, layouts_.get(), ProblemWords::Bytes::Printable);
    line += '\n';
}

const std::string& CheckReport::claimTail(const FileCheck::Claim& claim) {
    const std::size_t at =
        (std::size_t(claim.totals) * 2 + claim.xa0Present) * 2 + claim.unreadable;
    std::string& tail = claimTails_.at(at);
    if (tail.empty()) {
        // The same members as the claim's shape gives them, after its text.
        std::ostringstream out;
        {
            JsonWriter json(out);
            json.beginObject(claimShape())
                .plainValue("")
                .plainValue("")
                .value(claim.totals == TotalsState::Ok)
                .plainValue(totalsStateName(claim.totals))
                .value(claim.xa0Present)
                .value(claim.unreadable)
                .jsonValue("[]")
                .jsonValue("[]")
                .jsonValue("[]")
                .endObject();
        }
        tail = out.str().substr(std::string_view("{\"key\":\"\",\"text\":\"\"").size());
    }
    return tail;
}

void CheckReport::jsonClaim(const FileCheck::Claim& claim) {
    JsonWriter& json = json_->nextClaim();
    bool mismatched = false, invalid = false;
    for (const ProblemRow& r : claim.rows) {
        mismatched = mismatched || r.problem.kind == Problem::Kind::TotalsDoNotCompute;
        invalid = invalid || r.problem.kind == Problem::Kind::InvalidValue;
    }
    if (!mismatched && !invalid) {
        // As most claims are: the key and text spliced into the words the
        // claim's verdict fixes, its three lists empty.
        char head[8 + FileTree::kKeyRoom + 9];
        char* end = head;
        std::memcpy(end, "{\"key\":\"", 8);
        end = FileTree::writeKey(end + 8, "CA0", claim.position);
        std::memcpy(end, "\",\"text\":", 9);
        json.raw(std::string_view(head, std::size_t(end + 9 - head)))
            .fileString(claim.text)
            .raw(claimTail(claim));
        return;
    }
    json.beginObject(claimShape())
        .plainValue(Key("CA0", claim.position).view())
        .fileString(claim.text)
        .value(claim.totals == TotalsState::Ok)
        .plainValue(totalsStateName(claim.totals))
        .value(claim.xa0Present)
        .value(claim.unreadable);
    json.beginArray();
    for (const ProblemRow& r : claim.rows)
        if (r.problem.kind == Problem::Kind::TotalsDoNotCompute)
            json.fileString(ProblemWords::fieldId(r.problem, layouts_.get()));
    json.endArray().beginArray();
    for (const ProblemRow& r : claim.rows) {
        if (r.problem.kind != Problem::Kind::TotalsDoNotCompute)
            continue;
        json.beginObject(mismatchShape())
            .fileString(ProblemWords::fieldId(r.problem, layouts_.get()))
            .fileString(ProblemWords::fieldName(r.problem, layouts_.get()))
            .fileString(r.value)
            .value(std::to_string(r.problem.expected))
            .endObject();
    }
    json.endArray().beginArray();
    for (const ProblemRow& r : claim.rows) {
        if (r.problem.kind != Problem::Kind::InvalidValue)
            continue;
        json.beginObject(invalidShape())
            .fileString(ProblemWords::recordKey(r.problem, layouts_.get()))
            .fileString(ProblemWords::fieldId(r.problem, layouts_.get()))
            .fileString(ProblemWords::fieldName(r.problem, layouts_.get()))
            .fileString(r.value)
            .endObject();
    }
    json.endArray().endObject();
}

void CheckReport::keepRow(const ProblemRow& r) {
    const Problem& p = r.problem;
    problems_.keep(p, p.batch >= 0 && p.batch == batch_ ? batchPosition_ : -1,
                   p.claim >= 0 && p.claim == claim_ ? claimPosition_ : -1, r.value);
}

void CheckReport::noteRules(std::shared_ptr<const RuleCatalogue> rules) {
    rules_ = std::move(rules);
    ruleCounts_.assign(rules_ ? rules_->rules().size() : 0, RuleCount());
}

void CheckReport::countRule(const ProblemRow& r) {
    const Problem& p = r.problem;
    if (p.kind != Problem::Kind::Rule || p.rule < 0 || std::size_t(p.rule) >= ruleCounts_.size())
        return;
    RuleCount& count = ruleCounts_[std::size_t(p.rule)];
    ++count.rows;
    if (p.claim != count.lastClaim) {
        ++count.claims;
        count.lastClaim = p.claim;
    }
}

void CheckReport::jsonRules(JsonWriter& json) const {
    json.key("rules").beginArray();
    for (std::size_t i = 0; i < ruleCounts_.size(); ++i) {
        const RuleCatalogue::Rule& rule = rules_->rules()[i];
        json.beginObject()
            .key("rule")
            .value(rule.id)
            .key("severity")
            .value(ProblemWords::severityKey(rule.severity))
            .key("file")
            .value(FileText::pathToUtf8(rules_->files()[rule.file].path))
            .key("rows")
            .value(ruleCounts_[i].rows)
            .key("claims")
            .value(ruleCounts_[i].claims)
            .endObject();
    }
    json.endArray();
}

void CheckReport::textRules() const {
    for (std::size_t i = 0; i < ruleCounts_.size(); ++i) {
        const RuleCount& count = ruleCounts_[i];
        if (!count.rows)
            continue;
        const RuleCatalogue::Rule& rule = rules_->rules()[i];
        out_ << "Rule " << FileText::toPrintable(rule.id) << " ("
             << ProblemWords::severityKey(rule.severity) << "): " << count.rows
             << (count.rows == 1 ? " row" : " rows") << " in " << count.claims
             << (count.claims == 1 ? " claim" : " claims") << '\n';
    }
}

void CheckReport::noteFilter(std::string expression, std::int64_t claimsInFile) {
    filter_ = std::move(expression);
    claimsInFile_ = claimsInFile;
}

bool CheckReport::finish(const FileCheck::Summary& summary) {
    if (json_) {
        std::ostream& out = json_->member("problems");
        out << '[';
        const bool kept =
            ProblemListJson(layouts_.get(), rules_.get(), jobs_).write(problems_, out);
        JsonWriter& json = json_->summary();
        json.beginObject()
            .key("claims")
            .value(summary.claims)
            .key("totals_failed")
            .value(summary.totalsFailed)
            .key("with_invalid_fields")
            .value(summary.withInvalid)
            .key("not_checked")
            .value(summary.uncertain)
            .key("without_xa0")
            .value(summary.withoutXa0)
            .key("claims_with_problems")
            .value(summary.claimsWithProblems)
            .key("batches")
            .value(summary.batches)
            .key("batches_with_problems")
            .value(summary.batchesWithProblems)
            .key("file_problems")
            .value(summary.fileProblems)
            .key("problems")
            .value(summary.problems)
            .key("errors")
            .value(summary.errors)
            .key("warnings")
            .value(summary.warnings)
            .key("notes")
            .value(summary.notes)
            .key("not_read")
            .value(summary.notRead)
            .key("file_changed")
            .value(summary.fileChanged);
        if (!filter_.empty())
            json.key("filter")
                .value(FileText::pathToUtf8(filter_))
                .key("claims_in_file")
                .value(claimsInFile_);
        jsonRules(json);
        json.endObject();
        json_->end();
        return kept;
    }
    text_.flush();
    out_ << "Claims: " << summary.claims << ", totals not computing: " << summary.totalsFailed
         << ", with invalid fields: " << summary.withInvalid;
    if (summary.uncertain)
        out_ << ", not checked: " << summary.uncertain;
    out_ << '\n';
    out_ << "Claims with problems: " << summary.claimsWithProblems
         << ", without XA0: " << summary.withoutXa0 << "; batches: " << summary.batches
         << ", with problems: " << summary.batchesWithProblems
         << "; problems of the file: " << summary.fileProblems << '\n';
    out_ << "Errors: " << summary.errors << ", warnings: " << summary.warnings
         << ", notes: " << summary.notes << '\n';
    textRules();
    if (!filter_.empty())
        out_ << "Filter: " << FileText::toPrintable(FileText::pathToUtf8(filter_)) << ": "
             << summary.claims << " of " << claimsInFile_ << " claims match\n";
    if (summary.fileChanged)
        out_ << "The file changed while it was read (" << summary.notRead
             << " claims could not be read): check it again.\n";
    return true;
}

} // namespace qm
