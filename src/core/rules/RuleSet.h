#pragma once

#include "core/check/RuleCatalogue.h"
#include "core/filter/ClaimFilter.h"
#include "core/rules/RulesError.h"
#include "core/rules/RulesText.h"

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace qm {

class LayoutCatalogue;

// The rules of some rules files, compiled once against one map's layouts:
// each condition a claim filter (a rule on records a filter of one
// any(RT: ...)), each message cut into its texts and fields, each built-in
// edit named. A read-only value every worker of a check reads through an
// editor of its own (RuleEditor). How rules files are written: RulesText.
class RuleSet final : public RuleCatalogue {
public:
    // Bounds that keep a hostile rules file from costing much: the rules a
    // check weighs every claim by, the bytes of one file, and the regular
    // expressions (each may compile to megabytes) of all of them.
    static constexpr std::size_t kMaxRules = 2000;
    static constexpr std::size_t kMaxFileBytes = 1024 * 1024;
    static constexpr int kMaxPatterns = 16;
    // The integrity edits of the format, beside the maps.
    static constexpr const char* kIntegrityFileName = "integrity.rules";

    // Puts a set together, file by file, in order.
    class Builder {
    public:
        explicit Builder(std::shared_ptr<const LayoutCatalogue> layouts);
        ~Builder();
        Builder(const Builder&) = delete;
        Builder& operator=(const Builder&) = delete;

        // Adds the rules of a file; false, with error, when it does not
        // load: then nothing of it is added.
        bool addFile(const std::string& path, RulesError& error);
        // The same for a file's text, under its name.
        bool addText(std::string_view text, const std::string& name, RulesError& error,
                     bool integrity = false);
        // Adds the integrity edits beside the map (the layouts' folder);
        // a folder without them adds nothing and is no error.
        bool addIntegrity(RulesError& error);
        // The set, with every rule added (perhaps none).
        std::shared_ptr<const RuleSet> finish();

    private:
        bool compile(const RulesText::Stanza& stanza, RuleSet& into, RulesError& error);
        bool compileCondition(const RulesText::Stanza& stanza, Rule& rule, ClaimFilter& filter,
                              RulesError& error);
        bool compileMessage(const RulesText::Stanza& stanza, Rule& rule, RulesError& error);

        std::shared_ptr<RuleSet> set_;
        int patterns_ = 0;
    };

    // The integrity edits beside the layouts' map, or nullptr when there are
    // none there or they do not load (error, when given, then says why).
    static std::shared_ptr<const RuleSet>
    integrity(const std::shared_ptr<const LayoutCatalogue>& layouts, RulesError* error = nullptr);

    std::unique_ptr<ClaimEditor> editor() const override;

    // A condition's filter, by rule index (rules with Edit::Condition).
    const ClaimFilter& condition(std::size_t rule) const { return conditions_[rule]; }

private:
    std::vector<ClaimFilter> conditions_; // by rule; empty for built-in edits
};

} // namespace qm
