#include "core/search/FieldRegex.h"

#include "core/common/ByteWords.h"
#include "core/common/FileText.h"
#include "core/common/TextUtil.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <optional>
#include <re2/filtered_re2.h>
#include <re2/re2.h>

namespace qm {

namespace {

using re2::RE2;

// The compiled form and its match cache: RE2 refuses a pattern that needs
// more, so that no pattern can take unbounded memory or time to compile.
constexpr std::int64_t kCompiledBytes = std::int64_t(8) << 20;
// The prefilter's texts are two characters or more: single ones are in most lines.
constexpr int kShortestAtom = 2;
// Beyond this many instructions (a{1000} repeated), the ways of matching a
// record faster are not made: each would take as long to make again.
constexpr int kLargestToSpeedUp = 20000;

// A count of a repetition RE2 refused ("{2,1}", "{1001}"): why, in words.
std::string describeCount(const std::string& count) {
    const std::string_view inner =
        std::string_view(count).substr(1, count.size() >= 2 ? count.size() - 2 : 0);
    const std::size_t comma = inner.find(',');
    const auto n = parseInteger(inner.substr(0, comma), 0, INT64_MAX);
    const std::string_view upTo =
        comma == std::string_view::npos ? std::string_view() : inner.substr(comma + 1);
    const auto m = upTo.empty() ? n : parseInteger(upTo, 0, INT64_MAX);
    if (!n || !m || *n > 1000 || *m > 1000)
        return "repetition count above 1000: " + count;
    if (*m < *n)
        return "repetition count {n,m} with m below n: " + count;
    return "repetitions nested to over 1000 in all: " + count;
}

std::string describe(const RE2& re) {
    const std::string& at = re.error_arg();
    switch (re.error_code()) {
    case RE2::ErrorBadEscape:
        if (at.size() == 2 && at[1] >= '0' && at[1] <= '9')
            return "no back-references: " + at;
        return "unknown escape " + at;
    case RE2::ErrorBadCharClass:
        return "unknown character class " + at;
    case RE2::ErrorBadCharRange:
        return "range out of order: " + at;
    case RE2::ErrorMissingBracket:
        return "missing ]";
    case RE2::ErrorMissingParen:
        return "missing )";
    case RE2::ErrorUnexpectedParen:
        return "unmatched )";
    case RE2::ErrorTrailingBackslash:
        return "a \\ at the end escapes nothing";
    case RE2::ErrorRepeatArgument:
        return "nothing to repeat: " + at;
    case RE2::ErrorRepeatSize:
        return describeCount(at);
    case RE2::ErrorRepeatOp:
        return "repetition of a repetition: " + at;
    case RE2::ErrorBadPerlOp:
        return "unknown group " + at + " (no look-around)";
    case RE2::ErrorBadUTF8:
        return "not valid UTF-8";
    case RE2::ErrorBadNamedCapture:
        return "bad group name " + at;
    case RE2::ErrorPatternTooLarge:
        return "too large: it would take over " + std::to_string(kCompiledBytes >> 20) +
               " MB compiled";
    default:
        return re.error();
    }
}

// Whether the pattern names the start or end of the whole text (\A, \z, or
// ^ and $ with multi-line mode turned off), which values put one a line do
// not keep; false, with error, when it takes single bytes (\C), which a value
// of characters has no place for.
bool namesTextEdges(std::u32string_view pattern, bool& edges, std::string& error) {
    edges = false;
    const std::size_t n = pattern.size();
    for (std::size_t i = 0; i < n; ++i) {
        if (pattern[i] == '\\' && i + 1 < n) {
            const char32_t c = pattern[++i];
            if (c == 'Q') {
                // Literal text up to \E.
                const std::size_t end = pattern.find(U"\\E", i + 1);
                i = end == std::u32string_view::npos ? n : end + 1;
            } else if (c == 'C') {
                error = "\\C (one byte of a character) is not supported";
                return false;
            } else if (c == 'A' || c == 'z') {
                edges = true;
            }
        } else if (pattern[i] == '(' && i + 1 < n && pattern[i + 1] == '?') {
            // Flags, as in (?i-m) or (?-m:...).
            bool off = false;
            for (std::size_t j = i + 2;
                 j < n && ((pattern[j] >= 'a' && pattern[j] <= 'z') ||
                           (pattern[j] >= 'A' && pattern[j] <= 'Z') || pattern[j] == '-');
                 ++j) {
                off = off || pattern[j] == '-';
                edges = edges || (off && pattern[j] == 'm');
            }
        }
    }
    return true;
}

// The pattern without the ^ at its start (after its flags) and the $ at its
// end: it matches wherever the pattern does, and more. Nothing when it holds
// other assertions or text quoted with \Q, for which this is no longer sure.
std::optional<std::u32string> withoutEndAnchors(std::u32string_view pattern) {
    std::u32string body(pattern);
    std::size_t at = 0;
    while (body.compare(at, 2, U"(?") == 0) {
        std::size_t j = at + 2;
        while (j < body.size() && ((body[j] >= 'a' && body[j] <= 'z') ||
                                   (body[j] >= 'A' && body[j] <= 'Z') || body[j] == '-'))
            ++j;
        if (j >= body.size() || body[j] != ')')
            break;
        at = j + 1;
    }
    if (at < body.size() && body[at] == '^')
        body.erase(at, 1);
    if (!body.empty() && body.back() == '$') {
        std::size_t slashes = 0;
        for (std::size_t k = body.size() - 1; k > 0 && body[k - 1] == '\\'; --k)
            ++slashes;
        if (slashes % 2 == 0)
            body.pop_back();
    }
    bool classOpened = false; // a ^ right after [ negates the class
    for (std::size_t i = 0; i < body.size(); ++i) {
        const char32_t c = body[i];
        if (c == '\\') {
            if (++i < body.size() &&
                std::u32string_view(U"QbBAz").find(body[i]) != std::u32string_view::npos)
                return std::nullopt;
            classOpened = false;
            continue;
        }
        if ((c == '^' && !classOpened) || c == '$')
            return std::nullopt;
        classOpened = c == '[';
    }
    return body;
}

// Appends value as UTF-8 and a line feed; false when the value holds a line feed itself.
bool appendLine(std::string& out, std::string_view value) {
    std::size_t run = 0;
    for (std::size_t i = 0; i < value.size(); ++i) {
        const unsigned char byte = static_cast<unsigned char>(value[i]);
        if (byte == '\n')
            return false;
        if (byte >= 0x80) {
            out.append(value.data() + run, i - run);
            FileText::appendCodePoint(out, FileText::codePoint(value[i]));
            run = i + 1;
        }
    }
    out.append(value.data() + run, value.size() - run);
    out.push_back('\n');
    return true;
}

// High bits where a word of bytes holds one beyond ASCII or a line feed.
std::uint64_t beyondAsciiOrLineFeed(std::string_view bytes) {
    std::uint64_t marks = 0;
    std::size_t i = 0;
    for (; i + 8 <= bytes.size(); i += 8) {
        const std::uint64_t word = ByteWords::at(bytes.data() + i);
        const std::uint64_t feeds = word ^ (ByteWords::kOnes * '\n');
        marks |= word | ((feeds - ByteWords::kOnes) & ~feeds);
    }
    for (; i < bytes.size(); ++i) {
        const auto byte = static_cast<unsigned char>(bytes[i]);
        marks |= byte | (byte == '\n' ? 0x80u : 0u);
    }
    return marks & ByteWords::kHighBits;
}

} // namespace

bool FieldRegex::compile(std::u32string_view pattern, std::string& error) {
    if (pattern.size() > kMaxPatternCharacters) {
        error = "longer than " + std::to_string(kMaxPatternCharacters) + " characters";
        return false;
    }
    bool edges = false;
    if (!namesTextEdges(pattern, edges, error))
        return false;
    std::string utf8;
    for (const char32_t c : pattern)
        FileText::appendCodePoint(utf8, c);
    RE2::Options options;
    options.set_log_errors(false);
    options.set_max_mem(kCompiledBytes);
    options.set_never_capture(true);
    options.set_dot_nl(true);
    auto value = std::make_shared<const RE2>(utf8, options);
    if (!value->ok()) {
        error = describe(*value);
        return false;
    }
    const bool large = value->ProgramSize() > kLargestToSpeedUp;
    value_ = std::move(value);
    atoms_.reset();
    within_.reset();
    lines_.reset();
    profile_ = RegexProfile();
    if (large)
        return true;
    profile_ = RegexProfile(pattern);
    re2::FilteredRE2 filter(kShortestAtom);
    int id = 0;
    if (filter.Add(utf8, options, &id) == RE2::NoError) {
        std::vector<std::string> atoms;
        filter.Compile(&atoms);
        std::vector<int> none, passing;
        filter.AllPotentials(none, &passing);
        if (passing.empty() && !atoms.empty() &&
            std::all_of(atoms.begin(), atoms.end(),
                        [](const std::string& atom) { return FileText::isAscii(atom); })) {
            std::vector<FoldedFinder> finders(atoms.size());
            for (std::size_t i = 0; i < atoms.size(); ++i)
                finders[i].prepare(std::u32string(atoms[i].begin(), atoms[i].end()));
            atoms_ = std::make_shared<const std::vector<FoldedFinder>>(std::move(finders));
        }
    }
    // A record is passed over by its values' ends sooner than by a pass of
    // RE2 over the whole record.
    const bool valuesTell = profile_.anchored();
    if (const auto within = valuesTell ? std::nullopt : withoutEndAnchors(pattern)) {
        std::string text;
        for (const char32_t c : *within)
            FileText::appendCodePoint(text, c);
        auto re = std::make_shared<const RE2>(text, options);
        if (re->ok())
            within_ = std::move(re);
    }
    if (!edges) {
        options.set_never_nl(true);
        auto lines = std::make_shared<const RE2>("(?m)" + utf8, options);
        if (lines->ok())
            lines_ = std::move(lines);
    }
    return true;
}

std::string_view FieldRegex::utf8(std::string_view bytes) const {
    if (FileText::isAscii(bytes))
        return bytes;
    text_.clear();
    FileText::appendUtf8(text_, bytes);
    return text_;
}

bool FieldRegex::run(const RE2& re, std::string_view text, std::size_t from, std::size_t& start,
                     std::size_t& end) {
    const re2::StringPiece piece(text.data(), text.size());
    re2::StringPiece match;
    if (!re.Match(piece, from, text.size(), RE2::UNANCHORED, &match, 1))
        return false;
    start = match.data() ? std::size_t(match.data() - text.data()) : from;
    end = start + match.size();
    return true;
}

std::size_t FieldRegex::characters(std::string_view text, std::size_t from, std::size_t to) {
    std::size_t count = 0;
    for (std::size_t i = from; i < to; ++i)
        count += (static_cast<unsigned char>(text[i]) & 0xC0) != 0x80;
    return count;
}

bool FieldRegex::search(std::string_view value, std::size_t& start, std::size_t& length) const {
    const std::string_view trimmed = trimSpaces(value);
    // Most values are told by their ends alone, without RE2.
    if (!profile_.mayMatch(trimmed))
        return false;
    const std::string_view text = utf8(trimmed);
    std::size_t from = 0, to = 0;
    if (!run(*value_, text, 0, from, to))
        return false;
    start = std::size_t(trimmed.data() - value.data()) + characters(text, 0, from);
    length = characters(text, from, to);
    return true;
}

bool FieldRegex::matchesTrimmed(std::string_view trimmed) const {
    if (!profile_.mayMatch(trimmed))
        return false;
    std::size_t from = 0, to = 0;
    return run(*value_, utf8(trimmed), 0, from, to);
}

bool FieldRegex::putOneALine(const std::vector<std::string_view>& values) const {
    // Values are mostly ASCII, their own UTF-8: copied as they are, with room
    // for all of them and their line feeds made first, and told apart from
    // the others a word of eight bytes at a time.
    const std::size_t count = values.size();
    std::size_t room = count;
    for (const std::string_view value : values)
        room += value.size();
    starts_.resize(count);
    text_.resize(room);
    char* const begin = text_.data();
    char* at = begin;
    std::uint64_t marks = 0; // high bits: a byte beyond ASCII or a line feed
    for (std::size_t k = 0; k < count; ++k) {
        const std::string_view value = trimSpaces(values[k]);
        starts_[k] = std::size_t(at - begin);
        if (!value.empty())
            std::memcpy(at, value.data(), value.size());
        marks |= beyondAsciiOrLineFeed(value);
        at += value.size();
        *at++ = '\n';
    }
    text_.resize(std::size_t(at - begin));
    bool lineFeed = false;
    if (marks) {
        text_.clear();
        for (std::size_t k = 0; !lineFeed && k < count; ++k) {
            starts_[k] = text_.size();
            lineFeed = !appendLine(text_, trimSpaces(values[k]));
        }
    }
    // No line after the last value: ^$ would find an empty one there.
    if (!text_.empty())
        text_.pop_back();
    return !lineFeed;
}

void FieldRegex::searchEach(const std::vector<std::string_view>& values,
                            std::vector<ValueMatch>& out) const {
    if (!profile_.filters()) {
        searchAll(values, out);
        return;
    }
    // Most values are turned away by their first or last character, their
    // length: RE2 sees those left, if any.
    picked_.clear();
    pickedAt_.clear();
    for (std::size_t k = 0; k < values.size(); ++k) {
        // A field too narrow for a match is passed over without a look.
        if (values[k].size() >= profile_.minLength() && profile_.mayMatch(trimSpaces(values[k]))) {
            picked_.push_back(values[k]);
            pickedAt_.push_back(k);
        }
    }
    if (picked_.empty())
        return;
    const std::size_t first = out.size();
    searchAll(picked_, out);
    for (std::size_t i = first; i < out.size(); ++i)
        out[i].value = pickedAt_[out[i].value];
}

void FieldRegex::searchAll(const std::vector<std::string_view>& values,
                           std::vector<ValueMatch>& out) const {
    // A value holding a line feed would be two lines: such records go value by value.
    if (!lines_ || !putOneALine(values)) {
        std::size_t start = 0, length = 0;
        for (std::size_t k = 0; k < values.size(); ++k)
            if (search(values[k], start, length))
                out.push_back({k, start, length});
        return;
    }
    // Each match lies within one value; the next search starts at the next value.
    const std::string_view text = text_;
    std::size_t start = 0, end = 0;
    for (std::size_t k = 0; k < values.size() && run(*lines_, text, starts_[k], start, end); ++k) {
        while (k + 1 < values.size() && starts_[k + 1] <= start)
            ++k;
        const std::size_t blanks = std::size_t(trimSpaces(values[k]).data() - values[k].data());
        out.push_back(
            {k, blanks + characters(text, starts_[k], start), characters(text, start, end)});
    }
}

void FieldRegex::searchColumns(std::string_view line, const std::vector<FieldColumns>& columns,
                               std::size_t reach, std::vector<ValueMatch>& out) const {
    const PatternDfa& dfa = *profile_.automaton();
    blanks_.read(line, reach);
    const LineBlanks& blanks = blanks_;
    const FieldColumns* const fields = columns.data();
    const std::size_t count = columns.size(), size = line.size();
    std::size_t start = 0, length = 0;
    for (std::size_t k = 0; k < count; ++k) {
        // A blank value holds no match: every match has a character.
        const FieldColumns field = fields[k];
        const auto from = std::size_t(field.start - 1);
        if (field.start < 1 || field.length <= 0 || from >= size)
            continue;
        const std::size_t to = std::min(from + std::size_t(field.length), size);
        const std::size_t first = blanks.firstFrom(from, to);
        // Most values are told by their first byte, before their end is looked for.
        if (first == to || !dfa.mayBeginWith(line[first]))
            continue;
        const std::string_view value = line.substr(from, to - from);
        const std::string_view trimmed = line.substr(first, blanks_.endBefore(first, to) - first);
        if (profile_.mayEndWith(trimmed.back()) && dfa.mayMatch(trimmed) &&
            search(value, start, length))
            out.push_back({k, start, length});
    }
}

bool FieldRegex::mayMatchWithin(std::string_view line) const {
    if (atoms_ && std::none_of(atoms_->begin(), atoms_->end(), [line](const FoldedFinder& atom) {
            return atom.find(line) != std::string_view::npos;
        }))
        return false;
    if (!within_)
        return true;
    const std::string_view text = utf8(line);
    return within_->Match(re2::StringPiece(text.data(), text.size()), 0, text.size(),
                          RE2::UNANCHORED, nullptr, 0);
}

} // namespace qm
