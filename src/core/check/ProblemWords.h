#pragma once

#include "core/check/Problem.h"

#include <string>
#include <string_view>

namespace qm {

class FieldFormat;
class LayoutCatalogue;
struct FieldDef;

// The words for problems, made when asked, so that every front end names and
// describes every row alike. Field numbers and names come from the layouts
// the file was checked with (nullptr: none known).
class ProblemWords {
public:
    // How file bytes (values, names) are written: as UTF-8 by the file text
    // rule, or also with control characters escaped, for a terminal.
    enum class Bytes { Utf8, Printable };

    // "Totals do not compute", "Invalid value", "No batch trailer", ...
    static std::string_view kindName(Problem::Kind kind);
    // The same as a JSON word: "totals_do_not_compute", ...
    static std::string_view kindKey(Problem::Kind kind);
    // "file", "batch", "claim".
    static std::string_view scopeKey(Problem::Scope scope);
    // "error", "warning", "note".
    static std::string_view severityKey(Problem::Severity severity);
    // The id of the rule a row of Kind::Rule names ("integrity.dates");
    // empty for other rows.
    static std::string_view ruleId(const ProblemRow& row);
    // The claim form node key of the record a row is about ("FA0-2", "YA0");
    // empty for none.
    static std::string recordKey(const Problem& problem, const LayoutCatalogue* layouts);
    // The field's number and name, as the map gives them (file bytes); empty
    // for none.
    static std::string_view fieldId(const Problem& problem, const LayoutCatalogue* layouts);
    static std::string_view fieldName(const Problem& problem, const LayoutCatalogue* layouts);
    // What a row's "found" is: nothing, the value as read, the bytes of an
    // unknown record type, or a number (a line's length, a count).
    enum class Found { Nothing, Value, Type, Number };
    static Found foundIs(const Problem& problem);
    // What a row found, in words (file bytes as UTF-8; a compared trailer
    // field without the blanks around it); empty for nothing.
    static std::string found(const ProblemRow& row);
    // Whether a row has an "expected": totals and trailer fields, and the
    // claims a changed file had.
    static bool hasExpected(Problem::Kind kind);
    // What the records give for a claim or trailer field, in the width of
    // what the trailer states ("0015752" beside "0015751"); the claims a
    // changed file had; empty for other kinds.
    static std::string expected(const ProblemRow& row);
    // For a trailer field, what it states and what the records give as a
    // person reads them: as money where the field's format says so
    // ("$157.51", "$157.52"), else as found() and expected() give them.
    static std::string shownFound(const ProblemRow& row, const LayoutCatalogue* layouts);
    static std::string shownExpected(const ProblemRow& row, const LayoutCatalogue* layouts);
    // A trailer field that disagrees with the records beneath it, in the one
    // wording of every front end (tooltips, details, problem rows, the
    // command line): "Total Claim Charges: the XA0 states $157.51, the lines
    // add up to $157.50". stated: what the trailer holds (file bytes);
    // computed: what the records give; both shown as the field's format says.
    static std::string disagreement(std::string_view recordType, const FieldDef* field,
                                    const FieldFormat* format, std::string_view stated,
                                    std::int64_t computed, Bytes bytes = Bytes::Utf8);
    // The same for a row whose trailer field disagrees with its records
    // (totals, a batch or file trailer); empty for a row of another kind.
    static std::string disagreement(const ProblemRow& row, const LayoutCatalogue* layouts,
                                    Bytes bytes = Bytes::Utf8);
    // One problem in a line: "Totals do not compute: Total Claim Charges: the
    // XA0 states $157.51, the lines add up to $157.52".
    static std::string line(const ProblemRow& row, const LayoutCatalogue* layouts,
                            Bytes bytes = Bytes::Utf8);
    // True for the kinds of claim row whose line is the same for every row
    // (no trailer of its own, unreadable): a report words those once.
    static bool wordsFixed(Problem::Kind kind) {
        return kind == Problem::Kind::NoXa0 || kind == Problem::Kind::Unreadable;
    }
    // The same at the end of out: a report of millions of rows makes no
    // string for each.
    static void appendLine(std::string& out, const ProblemRow& row, const LayoutCatalogue* layouts,
                           Bytes bytes = Bytes::Utf8);
};

} // namespace qm
