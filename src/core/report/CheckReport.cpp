#include "core/report/CheckReport.h"

#include "core/check/ProblemWords.h"
#include "core/common/FileText.h"
#include "core/filetree/FileTree.h"
#include "core/filetree/NodeText.h"
#include "core/report/ClaimListJson.h"
#include "core/report/JsonWriter.h"
#include "core/report/ReportText.h"

#include <cstring>

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

std::string key(std::string_view type, std::int64_t position) {
    std::string text;
    appendKey(text, type, position);
    return text;
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
    , problemsOut_(&problems_)
    , problemsJson_(json ? std::make_unique<JsonWriter>(problemsOut_) : nullptr)
    , text_(out) {
    for (std::size_t state = 0; state < totalsLines_.size(); ++state)
        totalsLines_[state] =
            "\n  totals: " + ReportText::totalsLine(static_cast<TotalsState>(state), {}) + '\n';
    for (std::size_t kind = 0; kind < fixedRows_.size(); ++kind) {
        ProblemRow row;
        row.problem.kind = static_cast<Problem::Kind>(kind);
        if (ProblemWords::wordsFixed(row.problem.kind))
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
            jsonRow(r);
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
            jsonRow(r);
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
        jsonRow(r);
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

void CheckReport::jsonClaim(const FileCheck::Claim& claim) {
    JsonWriter& json = json_->nextClaim();
    json.beginObject()
        .key("key")
        .value(key("CA0", claim.position))
        .key("text")
        .fileString(claim.text)
        .key("totals_ok")
        .value(claim.totals == TotalsState::Ok)
        .key("totals_state")
        .value(totalsStateName(claim.totals))
        .key("xa0_present")
        .value(claim.xa0Present)
        .key("unreadable")
        .value(claim.unreadable)
        .key("mismatched")
        .beginArray();
    for (const ProblemRow& r : claim.rows)
        if (r.problem.kind == Problem::Kind::TotalsDoNotCompute)
            json.fileString(ProblemWords::fieldId(r.problem, layouts_.get()));
    json.endArray().key("mismatches").beginArray();
    for (const ProblemRow& r : claim.rows) {
        if (r.problem.kind != Problem::Kind::TotalsDoNotCompute)
            continue;
        json.beginObject()
            .key("id")
            .fileString(ProblemWords::fieldId(r.problem, layouts_.get()))
            .key("name")
            .fileString(ProblemWords::fieldName(r.problem, layouts_.get()))
            .key("found")
            .fileString(r.value)
            .key("expected")
            .value(std::to_string(r.problem.expected))
            .endObject();
    }
    json.endArray().key("invalid").beginArray();
    for (const ProblemRow& r : claim.rows) {
        if (r.problem.kind != Problem::Kind::InvalidValue)
            continue;
        json.beginObject()
            .key("node")
            .fileString(ProblemWords::recordKey(r.problem, layouts_.get()))
            .key("id")
            .fileString(ProblemWords::fieldId(r.problem, layouts_.get()))
            .key("name")
            .fileString(ProblemWords::fieldName(r.problem, layouts_.get()))
            .key("value")
            .fileString(r.value)
            .endObject();
    }
    json.endArray().endObject();
}

void CheckReport::jsonRow(const ProblemRow& r) {
    const Problem& p = r.problem;
    JsonWriter& json = *problemsJson_;
    json.raw(firstProblem_ ? "\n" : ",\n");
    firstProblem_ = false;
    json.beginObject()
        .key("kind")
        .value(ProblemWords::kindKey(p.kind))
        .key("severity")
        .value(ProblemWords::severityKey(p.severity()))
        .key("rule");
    if (p.kind == Problem::Kind::Rule)
        json.value(ProblemWords::ruleId(r));
    else
        json.null();
    json.key("where").value(ProblemWords::scopeKey(p.scope)).key("batch");
    if (p.batch >= 0 && p.batch == batch_)
        json.value(key("BA0", batchPosition_));
    else
        json.null();
    json.key("claim");
    if (p.claim >= 0 && p.claim == claim_)
        json.value(key("CA0", claimPosition_));
    else
        json.null();
    json.key("record");
    const std::string record = ProblemWords::recordKey(p, layouts_.get());
    if (record.empty())
        json.null();
    else
        json.fileString(record);
    json.key("position").value(p.position).key("line");
    if (p.line)
        json.value(p.line);
    else
        json.null();
    json.key("id");
    if (p.field >= 0)
        json.fileString(ProblemWords::fieldId(p, layouts_.get()));
    else
        json.null();
    json.key("name");
    if (p.field >= 0)
        json.fileString(ProblemWords::fieldName(p, layouts_.get()));
    else
        json.null();
    // Found and expected are strings (or null) in every row: the value as
    // stored, a type's bytes, or a number in decimal.
    json.key("found");
    switch (ProblemWords::foundIs(p)) {
    case ProblemWords::Found::Value:
        json.fileString(r.value);
        break;
    case ProblemWords::Found::Type:
        json.fileString(Problem::unpackType(p.found));
        break;
    case ProblemWords::Found::Number:
        json.value(std::to_string(p.found));
        break;
    case ProblemWords::Found::Nothing:
        json.null();
    }
    json.key("expected");
    if (ProblemWords::hasExpected(p.kind))
        json.value(std::to_string(p.expected));
    else
        json.null();
    words_.clear();
    ProblemWords::appendLine(words_, r, layouts_.get());
    json.key("text").value(words_).endObject();
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
        problemsJson_->flush();
        problemsOut_.flush();
        const bool kept = problems_.copyTo(out);
        out << (firstProblem_ ? "]" : "\n]");
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
