#pragma once

#include "core/check/Problem.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qm {

class LayoutCatalogue;
struct PassClaim;

// One worker's part of the edits a rules file asks for: fed a claim's
// records as the whole-file check reads them, it gives the claim's rule
// rows once the claim ends. Not for two threads at once.
class ClaimEditor {
public:
    virtual ~ClaimEditor() = default;
    // A record of the current claim, as ClaimVisitor::record has it: one
    // that comes with an earlier node's number takes that record's place.
    virtual void record(std::size_t node, int typeIndex, int occurrence, std::string_view line) = 0;
    // The claim has ended: its rows of the rules are appended to rows
    // (whose rows so far, the check's own, are of the kinds checkKinds, bit
    // 1 << Problem::Kind); their values stay valid until the next claim.
    virtual void finish(const PassClaim& claim, std::uint32_t checkKinds,
                        std::vector<ProblemRow>& rows) = 0;
    // The current claim is left unjudged; ready for the next.
    virtual void forget() = 0;
};

// The rules a whole-file check weighs claims by beyond the format's own
// arithmetic and structure, as loaded from rules files: each with its id,
// severity and words, bound to one map's layouts. A row of Kind::Rule names
// its rule by index here. A read-only value any thread may use; rows that
// name it keep it alive (shared_from_this).
class RuleCatalogue : public std::enable_shared_from_this<RuleCatalogue> {
public:
    // What a rule checks: a condition in the filter language, or one of the
    // edits built in for what that language cannot say.
    enum class Edit : std::uint8_t {
        Condition,            // `when EXPR` or `for each RT when EXPR`
        ControlNumber,        // every record carries the claim's CA0 03.0
        SequenceNumbers,      // DA0 and FA0 run 01, 02, ...; their records carry theirs
        CalendarDates,        // a date field holds a calendar date CCYYMMDD
        ServiceAfterCreation, // no FA0 service date after the AA0 creation date
        ListedCodes,          // a code field holds a code its format file lists
    };
    static constexpr int kEditCount = 6;

    // A rule's message: texts, and the values of fields named in braces.
    struct MessagePart {
        std::string text; // UTF-8
        int type = -1;    // a field's record type and index in its layout; -1: text
        int field = -1;
        bool record = false; // {record}: the node key of the record a row is about
    };

    struct Rule {
        std::string id;
        Problem::Severity severity = Problem::Severity::Error;
        Edit edit = Edit::Condition;
        int recordType = -1; // `for each RT`: its type; -1 for a claim's
        std::vector<MessagePart> message;
        std::size_t file = 0; // in files()
        std::size_t line = 0; // of its `rule` line
    };

    struct File {
        std::string path;       // as given (file system bytes)
        bool integrity = false; // the integrity edits beside the maps
        std::size_t firstRule = 0;
        std::size_t ruleCount = 0;
    };

    virtual ~RuleCatalogue() = default;

    const std::vector<Rule>& rules() const { return rules_; }
    // The rule a row names, or nullptr.
    const Rule* rule(std::int32_t index) const {
        return index >= 0 && std::size_t(index) < rules_.size() ? &rules_[std::size_t(index)]
                                                                : nullptr;
    }
    const std::vector<File>& files() const { return files_; }
    // The layouts the rules were bound to: a check with others ignores them.
    const std::shared_ptr<const LayoutCatalogue>& layouts() const { return layouts_; }

    // A worker's editor (nullptr when there is nothing to weigh).
    virtual std::unique_ptr<ClaimEditor> editor() const = 0;

    // "control-number", ...: how a rules file names a built-in edit.
    static std::string_view editName(Edit edit);
    static std::optional<Edit> editNamed(std::string_view name);

    // A rule row's value holds the values its message names, one after the
    // other, each as a length byte and its bytes (kNone: no such record).
    static constexpr std::size_t kLongestValue = 254;
    static constexpr unsigned char kNone = 255;
    static void packValue(std::string& packed, const std::string_view* value);
    // The next value of packed from at on (nullopt: no such record).
    static std::optional<std::string_view> unpackValue(std::string_view packed, std::size_t& at);

protected:
    std::vector<Rule> rules_;
    std::vector<File> files_;
    std::shared_ptr<const LayoutCatalogue> layouts_;
};

} // namespace qm
