#pragma once

#include "core/check/RuleCatalogue.h"
#include "core/layouts/FieldValidator.h"
#include "core/layouts/RecordTypes.h"
#include "core/rules/RuleFindings.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace qm {

class LayoutCatalogue;
class RecordLayout;
struct PassClaim;
struct SharedRecord;

// One worker's built-in edits, those the filter language cannot say, for
// the rules that name them (a rule's `check EDIT`), claim after claim:
//
// - control-number: every record of the claim's own whose layout has a
//   field 03.0 holds the CA0's 03.0 (blanks around them aside);
// - sequence-numbers: the DA0 and FA0 records of a claim carry SEQUENCE NO
//   01, 02, ... in file order, and each DA1, DA2 (FB0 to FE0) the number
//   of the DA0 (FA0) it follows;
// - calendar-dates: a field its format file calls a date holds a calendar
//   date CCYYMMDD, or is blank (or 00000000); a value its type letters
//   already fail is an invalid value, and not listed twice;
// - service-after-creation: no FA0 05.0 or 06.0 lies after the AA0's 15.0
//   (one row a service line; dates that are none are not compared);
// - listed-codes: a field whose format file lists its codes holds one of
//   them, or is blank.
//
// The dates and codes of the records shown with a claim (its file and batch
// headers, its trailers) count as its own, as they do for the field check.
class IntegrityEdits {
public:
    IntegrityEdits(const RuleCatalogue& rules, const LayoutCatalogue& layouts);

    // A code of up to seven bytes as one number (its length in the top byte),
    // or 0 for a longer one or none: compared at once, without memcmp.
    static std::uint64_t shortKey(std::string_view code);

    // Whether any rule names a built-in edit.
    bool any() const { return any_; }
    // A record of the claim's own (CA0 first).
    void record(std::size_t node, int typeIndex, int occurrence, std::string_view line,
                RuleFindings& out);
    // The claim has ended: the records shown with it, and what needs them.
    void finish(const PassClaim& claim, RuleFindings& out);
    // A record of the claim's own took the place of the one at node.
    void dropNode(std::size_t node);
    // Ready for the next claim.
    void reset();

private:
    using Edit = RuleCatalogue::Edit;
    struct Field {
        int index = -1;
        std::int64_t start = 0; // where it is cut from a line (RecordLayout::value)
        std::int64_t length = 0;
        std::vector<std::string> codes; // listed-codes: those listed, sorted
        // The same as short keys (shortKey), sorted, when every code has one.
        std::vector<std::uint64_t> keys;
    };
    // What a record shown with many claims was found to hold, kept while
    // claims show it.
    struct Shared {
        struct Found {
            Edit edit;
            int field;
            std::string value;
        };
        std::int64_t at = -1;
        int typeIndex = -1;
        std::uint64_t lastUse = 0;
        std::vector<Found> found;
    };
    // A group of records numbered by SEQUENCE NO: its leading records so
    // far, and the number the last of them carries.
    struct Group {
        int leading = 0;
        std::int64_t number = 0;
        bool numbered = false; // the last leading record's number is known
    };
    struct Service {
        std::size_t node;
        int occurrence;
        std::int64_t from; // CCYYMMDD; 0: no date
        std::int64_t to;
    };

    bool on(Edit edit) const { return on_[std::size_t(edit)]; }
    void add(Edit edit, const RuleFindings::Finding& where, std::string_view value,
             RuleFindings& out) const;
    // The dates and codes of a record that fail.
    void checkFields(int typeIndex, std::string_view line, std::vector<Shared::Found>& found) const;
    void ownFields(std::size_t node, int typeIndex, int occurrence, std::string_view line,
                   RuleFindings& out);
    // A record with a control number field: the CA0's kept, another's
    // weighed against it once controlNumberHeld() has not held it.
    void controlNumber(std::size_t node, int typeIndex, int occurrence, std::string_view line,
                       RuleFindings& out);
    // Whether a record of the claim's own (not its CA0) needs its control
    // number weighed no further: none to compare with, or the CA0's bytes.
    bool controlNumberHeld(int typeIndex, std::string_view line) const;
    void sequence(std::size_t node, int typeIndex, int occurrence, std::string_view line,
                  RuleFindings& out);
    void service(std::size_t node, int occurrence, std::string_view line);
    // hint: where in shared_ the record was found last (and is now).
    const Shared& shared(const SharedRecord& record, std::size_t& hint);
    void sharedFields(const std::vector<SharedRecord>& records, bool above, RuleFindings& out);
    void servicesAfter(const PassClaim& claim, RuleFindings& out);
    // The date a value holds, CCYYMMDD, or 0 when it holds none.
    static std::int64_t dateOf(std::string_view value);
    bool listed(const Field& field, std::string_view code) const;
    // Field `field` of a record of a type, cut from its line.
    std::string_view cut(int typeIndex, int field, std::string_view line) const {
        const std::pair<std::int64_t, std::int64_t>& cut =
            cuts_[std::size_t(typeIndex)][std::size_t(field)];
        return columns(line, cut.first, cut.second);
    }

    const LayoutCatalogue& layouts_;
    std::array<std::vector<std::int32_t>, RuleCatalogue::kEditCount> rulesOf_;
    std::array<bool, RuleCatalogue::kEditCount> on_{}; // an edit some rule names
    bool any_ = false;
    std::array<std::vector<Field>, kRecordTypeCount> dates_;
    std::array<std::vector<Field>, kRecordTypeCount> codes_;
    std::array<bool, kRecordTypeCount> hasFields_{}; // dates or codes
    // Where each field of each type is cut from a line: start column, length.
    std::array<std::vector<std::pair<std::int64_t, std::int64_t>>, kRecordTypeCount> cuts_;
    std::array<int, kRecordTypeCount> controlField_{}; // 03.0; -1: none
    std::array<int, kRecordTypeCount> sequenceField_{};
    // 0: numbered by the DA0s, 1: by the FA0s, -1: neither; and which lead.
    std::array<std::int8_t, kRecordTypeCount> group_{};
    std::array<bool, kRecordTypeCount> leads_{};
    const int ca0_, fa0_, aa0_;
    int from_ = -1, to_ = -1, created_ = -1; // FA0 05.0, 06.0; AA0 15.0

    // The claim being read.
    std::string controlNumber_; // its CA0's field as cut: its first controlCut_ bytes
    std::size_t controlCut_ = 0;
    std::size_t controlFrom_ = 0; // and the number without blanks: controlLength_ bytes from here
    std::size_t controlLength_ = 0;
    bool hasControlNumber_ = false;
    std::array<Group, 2> groups_{};
    std::vector<Service> services_;
    std::int64_t createdAt_ = -1; // the file header last read, and its 15.0's date
    std::int64_t createdDate_ = 0;
    std::vector<Shared::Found> found_; // a record's, while it is checked
    std::array<Shared, 8> shared_;
    // Where in shared_ each record a claim shows was last found: those above
    // it from 0, those below from kBelowHints.
    static constexpr std::size_t kBelowHints = 3;
    std::array<std::size_t, 6> hints_{};
    std::uint64_t uses_ = 0;
};

} // namespace qm
