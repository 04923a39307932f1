#include "core/report/ProblemRowJson.h"

#include "core/check/ProblemWords.h"
#include "core/filetree/FileTree.h"
#include "core/report/JsonWriter.h"

#include <charconv>
#include <cstring>

namespace qm {

namespace {

// The part of a row that needs no escape (its head, keys, numbers, nulls),
// put together here and appended to the row at once: a row of fifteen
// appends cost more than its words.
class Pieces {
public:
    // Room for a head, two keys, two numbers and the nulls and names
    // between them.
    static constexpr std::size_t kRoom = 1024;
    static constexpr std::size_t kMaxHead = 160;
    // Words of a kind worded alike for every row this long or shorter go
    // in too, and with them the whole of most rows.
    static constexpr std::size_t kMaxText = 480;

    void put(std::string_view text) {
        // An empty view may hold no pointer, which memcpy may not be given.
        if (text.empty())
            return;
        std::memcpy(at_, text.data(), text.size());
        at_ += text.size();
    }
    template <std::size_t N> void put(const char (&text)[N]) {
        std::memcpy(at_, text, N - 1);
        at_ += N - 1;
    }
    // A number as JSON gives it, or quoted (found and expected are strings
    // in every row).
    void number(std::int64_t number, bool quoted = false) {
        if (quoted)
            *at_++ = '"';
        at_ = std::to_chars(at_, at_ + 21, number).ptr;
        if (quoted)
            *at_++ = '"';
    }
    // A file tree key, quoted, or null for none (-1).
    void key(std::string_view type, std::int64_t position) {
        if (position < 0) {
            put("null");
            return;
        }
        *at_++ = '"';
        at_ = FileTree::writeKey(at_, type, position);
        *at_++ = '"';
    }
    // Appends what has gathered to out.
    void moveTo(std::string& out) {
        out.append(text_, std::size_t(at_ - text_));
        at_ = text_;
    }

private:
    char text_[kRoom];
    char* at_ = text_;
};

// Found and expected are strings (or null) in every row: the value as
// stored, a type's bytes, or a number in decimal.
void appendFound(Pieces& pieces, std::string& out, const ProblemRow& r) {
    const Problem& p = r.problem;
    pieces.put(",\"found\":");
    switch (ProblemWords::foundIs(p)) {
    case ProblemWords::Found::Value:
        pieces.moveTo(out);
        JsonWriter::appendFileString(out, r.value);
        break;
    case ProblemWords::Found::Type:
        pieces.moveTo(out);
        JsonWriter::appendFileString(out, Problem::unpackType(p.found));
        break;
    case ProblemWords::Found::Number:
        pieces.number(p.found, true);
        break;
    case ProblemWords::Found::Nothing:
        pieces.put("null");
    }
}

void appendQuoted(std::string& out, std::string_view plain) {
    out += '"';
    out.append(plain);
    out += '"';
}

} // namespace

ProblemRowJson::ProblemRowJson(const LayoutCatalogue* layouts)
    : layouts_(layouts) {
    for (std::size_t kind = 0; kind < fixedTexts_.size(); ++kind) {
        ProblemRow row;
        row.problem.kind = static_cast<Problem::Kind>(kind);
        if (!ProblemWords::wordsFixed(row.problem.kind))
            continue;
        words_.clear();
        ProblemWords::appendLine(words_, row, layouts_);
        JsonWriter::appendString(fixedTexts_[kind], words_);
    }
}

void ProblemRowJson::appendHead(std::string& out, const ProblemRow& row) {
    const Problem& p = row.problem;
    out.append("{\"kind\":");
    appendQuoted(out, ProblemWords::kindKey(p.kind));
    out.append(",\"severity\":");
    appendQuoted(out, ProblemWords::severityKey(p.severity()));
    out.append(",\"rule\":");
    if (p.kind == Problem::Kind::Rule)
        JsonWriter::appendString(out, ProblemWords::ruleId(row));
    else
        out.append("null");
    out.append(",\"where\":");
    appendQuoted(out, ProblemWords::scopeKey(p.scope));
    out.append(",\"batch\":");
}

const std::string& ProblemRowJson::head(const Problem& problem) {
    const std::size_t at =
        (std::size_t(problem.kind) * Problem::kSeverityCount + std::size_t(problem.severity())) *
            3 +
        std::size_t(problem.scope);
    std::string& made = heads_[at];
    if (made.empty()) {
        ProblemRow row;
        row.problem = problem;
        appendHead(made, row);
    }
    return made;
}

void ProblemRowJson::append(std::string& out, std::string_view before, const ProblemRow& r,
                            std::int64_t batchPosition, std::int64_t claimPosition) {
    const Problem& p = r.problem;
    Pieces pieces;
    pieces.put(before.substr(0, 8));
    // A rule's row names its rule; every other row's head is one of a few.
    if (p.kind == Problem::Kind::Rule) {
        pieces.moveTo(out);
        appendHead(out, r);
    } else {
        const std::string& made = head(p);
        if (made.size() <= Pieces::kMaxHead) {
            pieces.put(made);
        } else {
            pieces.moveTo(out);
            out += made;
        }
    }
    pieces.key("BA0", batchPosition);
    pieces.put(",\"claim\":");
    pieces.key("CA0", claimPosition);
    pieces.put(",\"record\":");
    const std::string record = ProblemWords::recordKey(p, layouts_);
    if (record.empty()) {
        pieces.put("null");
    } else {
        pieces.moveTo(out);
        JsonWriter::appendFileString(out, record);
    }
    pieces.put(",\"position\":");
    pieces.number(p.position);
    pieces.put(",\"line\":");
    if (p.line)
        pieces.number(p.line);
    else
        pieces.put("null");
    if (p.field >= 0) {
        pieces.put(",\"id\":");
        pieces.moveTo(out);
        JsonWriter::appendFileString(out, ProblemWords::fieldId(p, layouts_));
        out.append(",\"name\":");
        JsonWriter::appendFileString(out, ProblemWords::fieldName(p, layouts_));
    } else {
        pieces.put(",\"id\":null,\"name\":null");
    }
    appendFound(pieces, out, r);
    pieces.put(",\"expected\":");
    if (ProblemWords::hasExpected(p.kind))
        pieces.number(p.expected, true);
    else
        pieces.put("null");
    pieces.put(",\"text\":");
    const std::string& fixed = fixedTexts_[static_cast<std::size_t>(p.kind)];
    if (!fixed.empty() && fixed.size() <= Pieces::kMaxText) {
        pieces.put(fixed);
        pieces.put("}");
        pieces.moveTo(out);
        return;
    }
    pieces.moveTo(out);
    if (!fixed.empty()) {
        out.append(fixed);
    } else {
        words_.clear();
        ProblemWords::appendLine(words_, r, layouts_);
        JsonWriter::appendString(out, words_);
    }
    out += '}';
}

} // namespace qm
