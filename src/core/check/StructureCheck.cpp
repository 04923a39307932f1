#include "core/check/StructureCheck.h"

#include "core/common/RecordLine.h"
#include "core/layouts/RecordTypes.h"

#include <algorithm>

namespace qm {

// A chunk lists at least as many short lines as the file does, and the one after.
static_assert(ChunkFindings::kShortLinesKept > StructureCheck::kShortLinesListed);

StructureCheck::StructureCheck(const SequentialFile& file, const LayoutCatalogue& layouts,
                               std::size_t chunkCount, bool lfOnly, CheckOutput::Consumer& consumer)
    : file_(file)
    , batchBalance_(layouts, "YA0")
    , fileBalance_(layouts, "ZA0")
    , chunkCount_(chunkCount)
    , lfOnly_(lfOnly && file.lineEnds() == SequentialFile::LineEnds::CrOrCrLf)
    , consumer_(consumer) {
    if (lfOnly)
        structure(Problem::Kind::LfOnlyLineEnds, 1, 1, lfOnly_ ? 0 : Problem::kLfReadAsLineEnd);
}

void StructureCheck::count(const ProblemRow& row) {
    ++summary_.problems;
    switch (row.problem.severity()) {
    case Problem::Severity::Error:
        ++summary_.errors;
        summary_.failed = true;
        break;
    case Problem::Severity::Warning:
        ++summary_.warnings;
        break;
    case Problem::Severity::Note:
        ++summary_.notes;
        break;
    }
    if (Problem::meansNotChecked(row.problem.kind))
        summary_.notChecked = true;
    if (row.problem.scope == Problem::Scope::File)
        ++summary_.fileProblems;
}

ProblemRow StructureCheck::rowOf(Problem::Kind kind, Problem::Scope scope, std::int64_t position,
                                 std::int64_t line, std::int64_t found) {
    ProblemRow row;
    row.problem.kind = kind;
    row.problem.scope = scope;
    row.problem.position = position;
    row.problem.line = line;
    row.problem.found = found;
    return row;
}

void StructureCheck::structure(const ProblemRow& row) {
    count(row);
    consumer_.problem(row);
}

void StructureCheck::structure(Problem::Kind kind, std::int64_t position, std::int64_t line,
                               std::int64_t found) {
    structure(rowOf(kind, Problem::Scope::File, position, line, found));
}

void StructureCheck::advance(const LineTally& lines) {
    total_ += lines;
    if (batchOpen_)
        batch_.tally += lines;
}

void StructureCheck::claim(const ChunkFindings& findings, const ChunkFindings::Claim& found,
                           std::int64_t line) {
    CheckOutput::Claim claim;
    claim.index = claims_++;
    claim.batch = batches_ - 1; // the tree lists a claim under the last BA0 before it
    claim.position = found.position;
    claim.line = line;
    claim.text = findings.text(found.text, found.textLength);
    claim.totals = found.totals;
    claim.xa0Present = found.xa0Present;
    claim.unreadable = found.unreadable;
    rows_.clear();
    bool invalid = false;
    for (std::uint32_t i = found.firstRow; i < found.firstRow + found.rowCount; ++i) {
        const ChunkFindings::Row& stored = findings.rows[i];
        ProblemRow row{stored.problem, findings.text(stored.value, stored.valueLength), rules_};
        row.problem.claim = claim.index;
        row.problem.batch = claim.batch;
        row.problem.line = line;
        invalid = invalid || row.problem.kind == Problem::Kind::InvalidValue;
        count(row);
        rows_.push_back(row);
    }
    claim.rows = rows();
    ++summary_.claims;
    summary_.totalsFailed += claim.totals == TotalsState::DoNotCompute ? 1 : 0;
    summary_.withInvalid += invalid ? 1 : 0;
    summary_.withoutXa0 += claim.totals == TotalsState::NoTrailer ? 1 : 0;
    summary_.uncertain += claim.unreadable || claim.totals == TotalsState::CouldNotCheck ? 1 : 0;
    summary_.claimsWithProblems += rows_.empty() ? 0 : 1;
    consumer_.claim(claim);
    if (!batchOpen_ && !lfOnly_) {
        ProblemRow row =
            rowOf(Problem::Kind::ClaimOutsideBatch, Problem::Scope::File, claim.position, line);
        row.problem.recordType = std::int8_t(recordTypeIndex("CA0"));
        row.problem.occurrence = 1;
        row.problem.claim = claim.index;
        row.problem.batch = claim.batch;
        structure(row);
    }
}

CheckOutput::Trailer StructureCheck::endBatch() {
    batchOpen_ = false;
    CheckOutput::Trailer trailer;
    trailer.scope = Problem::Scope::Batch;
    trailer.batch = batch_.index;
    trailer.position = batch_.position;
    trailer.text = batch_.text;
    return trailer;
}

void StructureCheck::closeBatch(std::int64_t endedBy, std::int64_t position, std::int64_t line) {
    CheckOutput::Trailer trailer = endBatch();
    trailer.state = TrailerBalance::State::NoTrailer;
    rows_.clear();
    ProblemRow row =
        rowOf(Problem::Kind::BatchWithoutTrailer, Problem::Scope::Batch, position, line, endedBy);
    row.problem.batch = batch_.index;
    count(row);
    rows_.push_back(row);
    trailer.rows = rows();
    ++summary_.batchesWithProblems;
    consumer_.trailer(trailer);
}

void StructureCheck::batchTrailer(const ChunkFindings::Line& line, std::string_view record,
                                  std::int64_t number) {
    CheckOutput::Trailer trailer = endBatch();
    trailer.trailerPosition = line.position;
    trailer.trailerLine = number;
    Problem where;
    where.scope = Problem::Scope::Batch;
    where.batch = batch_.index;
    where.position = line.position;
    where.line = number;
    rows_.clear();
    // Every record from the BA0 through this YA0.
    const TrailerBalance::Result result =
        batchBalance_.check(record, batch_.tally, batch_.tally.records + 1, where, rows_);
    trailer.state = result.state;
    trailer.readings = result.readings;
    for (const ProblemRow& row : rows_)
        count(row);
    summary_.batchesWithProblems += rows_.empty() ? 0 : 1;
    trailer.rows = rows();
    consumer_.trailer(trailer);
}

void StructureCheck::fileTrailer(const ChunkFindings::Line& line, std::string_view record,
                                 std::int64_t number) {
    CheckOutput::Trailer trailer;
    trailer.trailerPosition = line.position;
    trailer.trailerLine = number;
    Problem where;
    where.scope = Problem::Scope::File;
    where.position = line.position;
    where.line = number;
    rows_.clear();
    // Every record from the file's start through this ZA0.
    const TrailerBalance::Result result =
        fileBalance_.check(record, total_, total_.records + 1, where, rows_);
    trailer.state = result.state;
    trailer.readings = result.readings;
    for (const ProblemRow& row : rows_)
        count(row);
    trailer.rows = rows();
    consumer_.trailer(trailer);
}

void StructureCheck::recordsAfterFileTrailer(bool lineIsRecord) {
    if (!fileTrailerSeen_ || recordsAfterTold_ || lfOnly_)
        return;
    if (!lineIsRecord && total_.records <= recordsThroughFileTrailer_)
        return;
    recordsAfterTold_ = true;
    // The first record after the ZA0: read on from it to there.
    SequentialFile reader;
    reader.openSame(file_);
    reader.seek(fileTrailerPosition_);
    std::string_view text;
    reader.readLineView(text);
    std::int64_t line = fileTrailerLine_;
    for (;;) {
        const std::int64_t lineStart = reader.position();
        ++line;
        if (!reader.readLineView(text))
            return; // the file changed under the check: it says so at the end
        std::int64_t position = lineStart;
        if (takeRecordLine(text, position)) {
            structure(Problem::Kind::RecordsAfterFileTrailer, position, line);
            return;
        }
    }
}

void StructureCheck::takeLine(const ChunkFindings& findings, const ChunkFindings::Line& line,
                              std::int64_t number, bool lastChunk) {
    using Kind = ChunkFindings::LineKind;
    switch (line.kind) {
    case Kind::FileHeader:
        if (fileHeaderSeen_)
            structure(Problem::Kind::SecondFileHeader, line.position, number);
        fileHeaderSeen_ = true;
        break;
    case Kind::Batch: {
        if (batchOpen_)
            closeBatch(recordTypeIndex("BA0"), line.position, number);
        batchOpen_ = true;
        batch_.index = batches_++;
        batch_.position = line.position;
        batch_.text.assign(findings.text(line.text, line.textLength));
        batch_.tally = {};
        ++summary_.batches;
        CheckOutput::Batch started;
        started.index = batch_.index;
        started.position = line.position;
        started.line = number;
        started.text = batch_.text;
        consumer_.batch(started);
        break;
    }
    case Kind::BatchTrailer:
        if (batchOpen_)
            batchTrailer(line, findings.text(line.text, line.textLength), number);
        else
            structure(Problem::Kind::TrailerWithoutBatch, line.position, number);
        break;
    case Kind::FileTrailer:
        if (fileTrailerSeen_)
            break; // a record after the first: told above
        if (batchOpen_)
            closeBatch(recordTypeIndex("ZA0"), line.position, number);
        fileTrailerSeen_ = true;
        fileTrailerPosition_ = line.position;
        fileTrailerLine_ = number;
        recordsThroughFileTrailer_ = total_.records + 1;
        fileTrailer(line, findings.text(line.text, line.textLength), number);
        break;
    case Kind::UnknownType:
        structure(Problem::Kind::UnknownRecordType, line.position, number, line.found);
        break;
    case Kind::Short:
        if (lastChunk && line.number == findings.lineCount) {
            structure(Problem::Kind::CutLastLine, line.position, number, line.found);
        } else if (shortLines_++ < kShortLinesListed) {
            structure(Problem::Kind::ShortLine, line.position, number, line.found);
        } else if (shortLines_ == kShortLinesListed + 1) {
            firstUnlistedPosition_ = line.position;
            firstUnlistedLine_ = number;
        }
        break;
    }
}

void StructureCheck::take(std::size_t chunk, const ChunkFindings& findings) {
    LineTally before;
    auto nextClaim = findings.claims.begin();
    // The claims that begin before a line, in order.
    auto claimsBefore = [&](std::int64_t number) {
        for (; nextClaim != findings.claims.end() && nextClaim->number < number; ++nextClaim) {
            const std::int64_t at = lineBase_ + nextClaim->number;
            recordsAfterFileTrailer(true);
            claim(findings, *nextClaim, at);
        }
    };
    const bool lastChunk = chunk + 1 == chunkCount_;
    for (const ChunkFindings::Line& line : findings.lines) {
        claimsBefore(line.number);
        advance(line.before - before);
        before = line.before;
        const std::int64_t number = lineBase_ + line.number;
        if (lfOnly_)
            continue;
        recordsAfterFileTrailer(line.kind != ChunkFindings::LineKind::Short);
        takeLine(findings, line, number, lastChunk);
    }
    if (findings.shortLinesCounted > 0 && !lfOnly_) {
        // The chunk kept more short lines than are listed: those it only
        // counted lie past them, but the last may be the file's last line.
        const ChunkFindings::Line& last = findings.lastShortLine;
        const bool cut = lastChunk && last.number == findings.lineCount;
        shortLines_ += findings.shortLinesCounted - (cut ? 1 : 0);
        if (cut) {
            claimsBefore(last.number);
            advance(last.before - before);
            before = last.before;
            recordsAfterFileTrailer(false);
            structure(Problem::Kind::CutLastLine, last.position, lineBase_ + last.number,
                      last.found);
        }
    }
    claimsBefore(INT64_MAX);
    advance(findings.tally - before);
    lineBase_ += findings.lineCount;
}

void StructureCheck::finish(bool fileChanged, std::int64_t sizeAtStart, std::int64_t claimsFound) {
    const std::int64_t end = sizeAtStart + 1;
    if (!lfOnly_) {
        recordsAfterFileTrailer(false);
        if (batchOpen_)
            closeBatch(-1, end, 0);
        if (!fileTrailerSeen_) {
            CheckOutput::Trailer trailer;
            rows_.clear();
            const ProblemRow row =
                rowOf(Problem::Kind::NoFileTrailer, Problem::Scope::File, end, 0);
            count(row);
            rows_.push_back(row);
            trailer.rows = rows();
            consumer_.trailer(trailer);
        }
        if (shortLines_ > kShortLinesListed)
            structure(Problem::Kind::MoreShortLines, firstUnlistedPosition_, firstUnlistedLine_,
                      shortLines_ - kShortLinesListed);
    }
    summary_.fileChanged = fileChanged;
    if (fileChanged) {
        // The claims it had that were not read could not be.
        summary_.notRead = std::max<std::int64_t>(0, claimsFound - summary_.claims);
        summary_.uncertain += summary_.notRead;
        ProblemRow row =
            rowOf(Problem::Kind::FileChanged, Problem::Scope::File, end, 0, summary_.notRead);
        row.problem.expected = claimsFound;
        structure(row);
    }
}

} // namespace qm
