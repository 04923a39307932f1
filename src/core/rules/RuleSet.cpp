#include "core/rules/RuleSet.h"

#include "core/claim/ClaimLoop.h"
#include "core/common/AsciiCase.h"
#include "core/common/FileText.h"
#include "core/filter/FilterLexer.h"
#include "core/io/RegularFile.h"
#include "core/layouts/LayoutCatalogue.h"

#include <algorithm>
#include <utility>

namespace qm {

namespace {

// The whole file, or false with the reason in error (missing: true when
// there is no such file).
bool readWhole(const std::string& path, std::string& text, std::string& error, bool& missing) {
    const WholeFile outcome = readWholeRegularFile(path, RuleSet::kMaxFileBytes, text, error);
    missing = outcome == WholeFile::Missing;
    if (outcome == WholeFile::TooLong)
        error = "a rules file of at most " + std::to_string(RuleSet::kMaxFileBytes / 1024) +
                " KiB was expected: this one is longer";
    return outcome == WholeFile::Read;
}

// Characters of UTF-8 text.
std::size_t characters(std::string_view text) {
    std::size_t n = 0;
    for (const char c : text)
        n += (static_cast<unsigned char>(c) & 0xC0) == 0x80 ? 0 : 1;
    return n;
}

// How many regular expressions an expression asks for.
int patternsIn(std::string_view expression) {
    std::vector<FilterLexer::Token> tokens;
    FilterError ignored;
    if (!FilterLexer::tokenize(expression, tokens, ignored))
        return 0; // the parser says what is wrong
    int patterns = 0;
    for (const FilterLexer::Token& token : tokens)
        patterns +=
            token.kind == FilterLexer::Token::Kind::Word && asciiLower(token.text) == "matches";
    return patterns;
}

// The column of a ) that closes no ( of the expression's own, or 0. A rule
// on records is read inside any(RT: ...): such a ) would end that early and
// let the rest weigh the whole claim.
std::size_t strayClose(std::string_view expression) {
    std::vector<FilterLexer::Token> tokens;
    FilterError ignored;
    if (!FilterLexer::tokenize(expression, tokens, ignored))
        return 0; // the parser says what is wrong
    int depth = 0;
    for (const FilterLexer::Token& token : tokens) {
        depth += token.kind == FilterLexer::Token::Kind::Open;
        if (token.kind == FilterLexer::Token::Kind::Close && --depth < 0)
            return token.column;
    }
    return 0;
}

// A rule on records is read as the one-record scope any(RT: ...), whose
// words a message about it must not use.
std::string forEachWords(std::string what, const std::string& type) {
    const std::pair<std::string, std::string> words[] = {
        {"any(...) and all(...) test ", "for each " + type + " tests "},
        {"any(...) and all(...) do not nest",
         "for each " + type + " takes no any(...) or all(...)"},
    };
    for (const auto& [from, to] : words) {
        const std::size_t at = what.find(from);
        if (at != std::string::npos)
            what.replace(at, from.size(), to);
    }
    return what;
}

} // namespace

RuleSet::Builder::Builder(std::shared_ptr<const LayoutCatalogue> layouts)
    : set_(std::make_shared<RuleSet>()) {
    set_->layouts_ = std::move(layouts);
}

RuleSet::Builder::~Builder() = default;

std::shared_ptr<const RuleSet> RuleSet::Builder::finish() {
    std::shared_ptr<const RuleSet> set = std::move(set_);
    set_ = std::make_shared<RuleSet>();
    set_->layouts_ = set->layouts_;
    patterns_ = 0;
    return set;
}

bool RuleSet::Builder::addFile(const std::string& path, RulesError& error) {
    std::string text, why;
    bool missing = false;
    if (!readWhole(path, text, why, missing)) {
        error = {path, 0, 0, why};
        return false;
    }
    return addText(text, path, error);
}

bool RuleSet::Builder::addIntegrity(RulesError& error) {
    const LayoutCatalogue* layouts = set_->layouts_.get();
    if (!layouts || layouts->folder().empty())
        return true;
    const std::string path = layouts->folder() + "/" + kIntegrityFileName;
    std::string text, why;
    bool missing = false;
    if (!readWhole(path, text, why, missing)) {
        error = {path, 0, 0, why};
        return missing;
    }
    return addText(text, path, error, true);
}

bool RuleSet::Builder::addText(std::string_view text, const std::string& name, RulesError& error,
                               bool integrity) {
    error = {name, 0, 0, {}};
    std::vector<RulesText::Stanza> stanzas;
    RuleSet& set = *set_;
    if (!RulesText::parse(text, kMaxRules - set.rules_.size(), stanzas, error))
        return false;
    // Compiled aside: a file that fails adds nothing.
    RuleSet added;
    added.layouts_ = set.layouts_;
    const int patternsBefore = patterns_;
    for (const RulesText::Stanza& stanza : stanzas) {
        if (!compile(stanza, added, error)) {
            patterns_ = patternsBefore;
            return false;
        }
    }
    const std::size_t file = set.files_.size();
    set.files_.push_back({name, integrity, set.rules_.size(), added.rules_.size()});
    for (std::size_t i = 0; i < added.rules_.size(); ++i) {
        added.rules_[i].file = file;
        set.rules_.push_back(std::move(added.rules_[i]));
        set.conditions_.push_back(std::move(added.conditions_[i]));
    }
    return true;
}

bool RuleSet::Builder::compile(const RulesText::Stanza& stanza, RuleSet& into, RulesError& error) {
    auto fail = [&](RulesText::Place at, std::string what) {
        error.line = at.line;
        error.column = at.column;
        error.what = std::move(what);
        return false;
    };
    for (const RuleSet* set : {set_.get(), &into})
        for (const Rule& other : set->rules_)
            if (other.id == stanza.id)
                return fail(stanza.idAt,
                            "a rule id of its own was expected: " + stanza.id + " is the rule at " +
                                (set == &into
                                     ? std::string("line ")
                                     : FileText::pathToUtf8(set_->files_[other.file].path) + ":") +
                                std::to_string(other.line));
    Rule rule;
    rule.id = stanza.id;
    rule.severity = *stanza.severity;
    rule.line = stanza.at.line;
    ClaimFilter filter;
    if (!stanza.check.empty()) {
        const auto edit = RuleCatalogue::editNamed(stanza.check);
        if (!edit)
            return fail(stanza.checkAt, "a built-in edit was expected: control-number, "
                                        "sequence-numbers, calendar-dates, "
                                        "service-after-creation or listed-codes");
        rule.edit = *edit;
    } else if (!compileCondition(stanza, rule, filter, error) ||
               !compileMessage(stanza, rule, error)) {
        return false;
    }
    into.rules_.push_back(std::move(rule));
    into.conditions_.push_back(std::move(filter));
    return true;
}

bool RuleSet::Builder::compileCondition(const RulesText::Stanza& stanza, Rule& rule,
                                        ClaimFilter& filter, RulesError& error) {
    const LayoutCatalogue& layouts = *set_->layouts_;
    std::string expression = stanza.expression;
    std::size_t prefix = 0;
    if (!stanza.recordType.empty()) {
        const std::string type = asciiUpper(stanza.recordType);
        rule.recordType = recordTypeIndex(type);
        if (rule.recordType < 0 || !ClaimLoop::parentOf(type)) {
            error.line = stanza.recordTypeAt.line;
            error.column = stanza.recordTypeAt.column;
            error.what = "a record type of a claim's own was expected, CA0 to XA0, such as FA0";
            return false;
        }
        if (const std::size_t column = strayClose(stanza.expression)) {
            const RulesText::Place at = stanza.placeOf(column);
            error.line = at.line;
            error.column = at.column;
            error.what = "a ( before this ) was expected";
            return false;
        }
        expression = "any(" + type + ": " + expression + ")";
        prefix = 6 + type.size();
    }
    const int patterns = patternsIn(stanza.expression);
    FilterError wrong;
    const bool tooMany = patterns_ + patterns > kMaxPatterns;
    if (tooMany || !ClaimFilter::compile(expression, layouts, filter, wrong)) {
        const std::size_t length = characters(stanza.expression);
        const std::size_t column =
            tooMany ? 1 : std::min(length + 1, wrong.column > prefix ? wrong.column - prefix : 1);
        const RulesText::Place at = stanza.placeOf(column);
        error.line = at.line;
        error.column = at.column;
        error.what = tooMany ? "at most " + std::to_string(kMaxPatterns) +
                                   " regular expressions (matches) were expected in all the "
                                   "rules: this rule brings them to " +
                                   std::to_string(patterns_ + patterns)
                     : prefix ? forEachWords(wrong.what, asciiUpper(stanza.recordType))
                              : wrong.what;
        return false;
    }
    patterns_ += patterns;
    return true;
}

bool RuleSet::Builder::compileMessage(const RulesText::Stanza& stanza, Rule& rule,
                                      RulesError& error) {
    const LayoutCatalogue& layouts = *set_->layouts_;
    const std::string_view raw = stanza.message;
    std::string text;
    auto fail = [&](std::size_t byte, std::string what) {
        error.line = stanza.messageAt.line;
        error.column = stanza.messageAt.column + characters(raw.substr(0, byte));
        error.what = std::move(what);
        return false;
    };
    auto flush = [&] {
        if (!text.empty())
            rule.message.push_back({std::move(text)});
        text.clear();
    };
    for (std::size_t i = 0; i < raw.size(); ++i) {
        const char c = raw[i];
        const char next = i + 1 < raw.size() ? raw[i + 1] : '\0';
        if ((c == '\\' && (next == '"' || next == '\\')) || (c == '{' && next == '{') ||
            (c == '}' && next == '}')) {
            text += next;
            ++i;
            continue;
        }
        if (c == '}')
            return fail(i, "a } closes a field named in braces: }} was expected for a brace");
        if (c != '{') {
            text += c;
            continue;
        }
        const std::size_t close = raw.find('}', i);
        if (close == std::string_view::npos)
            return fail(i, "a } closing the field named at this { was expected ({{ for a brace)");
        const std::string name = asciiUpper(raw.substr(i + 1, close - i - 1));
        MessagePart part;
        const bool onRecords = rule.recordType >= 0;
        const std::string type =
            onRecords ? std::string(kRecordTypes[std::size_t(rule.recordType)]) : std::string();
        const std::string reference = onRecords && name.size() == 4 ? type + "." + name : name;
        if (name == "RECORD" && onRecords) {
            part.record = true;
        } else if (reference.size() == 8 && reference[3] == '.') {
            part.type = recordTypeIndex(reference.substr(0, 3));
            part.field = part.type < 0 ? -1 : layouts.at(part.type).indexOf(reference.substr(4));
            if (part.field < 0)
                return fail(i + 1, "a field the map has was expected: it has no " + reference);
            if (onRecords && part.type != rule.recordType)
                return fail(i + 1, "a field of " + type + " was expected: a rule for each " + type +
                                       " names the fields of that record ({05.0})");
        } else {
            return fail(i + 1, onRecords ? "a field of " + type +
                                               " such as {05.0}, or {record}, was "
                                               "expected in braces ({{ for a brace)"
                                         : std::string("a field such as {XA0.12.0} was expected in "
                                                       "braces ({{ for a brace)"));
        }
        flush();
        rule.message.push_back(std::move(part));
        i = close;
    }
    flush();
    return true;
}

std::shared_ptr<const RuleSet>
RuleSet::integrity(const std::shared_ptr<const LayoutCatalogue>& layouts, RulesError* error) {
    Builder builder(layouts);
    RulesError wrong;
    if (!builder.addIntegrity(wrong)) {
        if (error)
            *error = wrong;
        return nullptr;
    }
    std::shared_ptr<const RuleSet> set = builder.finish();
    return set->rules().empty() ? nullptr : set;
}

} // namespace qm
