#include "FileMutator.h"

#include "core/claim/ClaimLoop.h"
#include "core/claim/ClaimTotals.h"
#include "core/common/RecordLine.h"
#include "core/common/TextUtil.h"
#include "core/io/SequentialFile.h"

#include <algorithm>
#include <cinttypes>
#include <numeric>
#include <optional>
#include <stdexcept>
#include <utility>

namespace nsfgen {

namespace {

// Where a record begins in a line as read: after a stray line feed.
std::size_t recordStart(const std::string& line) {
    return !line.empty() && line.front() == '\n' ? 1 : 0;
}

std::string_view fieldOf(const std::string& line, FieldRef field) {
    return qm::columns(std::string_view(line).substr(recordStart(line)), field.start, field.length);
}

void openInput(qm::SequentialFile& in, const std::string& path) {
    std::string error;
    if (!in.open(path, &error))
        throw std::runtime_error(path + ": " + error);
}

} // namespace

void FileMutator::Tally::add(const Tally& other, int sign) {
    serviceLines += sign * other.serviceLines;
    records += sign * other.records;
    claims += sign * other.claims;
    charges += sign * other.charges;
}

FileMutator::FileMutator(const qm::LayoutCatalogue& catalogue, const GeneratorOptions& options,
                         LineBuffer& out, std::FILE* summary)
    : catalogue_(catalogue)
    , options_(options)
    , out_(out)
    , summary_(summary)
    , rng_(options.seed) {
    const FieldPlacer placer(catalogue);
    pcn_ = placer.require("CA0", "03.0");
    serviceCharge_ = placer.require("FA0", "13.0");
    ya0Lines_ = placer.require("YA0", "08.0");
    ya0Records_ = placer.require("YA0", "09.0");
    ya0Claims_ = placer.require("YA0", "10.0");
    ya0Charges_ = placer.require("YA0", "11.0");
    za0Lines_ = placer.require("ZA0", "05.0");
    za0Records_ = placer.require("ZA0", "06.0");
    za0Claims_ = placer.require("ZA0", "07.0");
    za0Charges_ = placer.require("ZA0", "09.0");
}

std::int64_t FileMutator::countClaims() const {
    qm::SequentialFile in;
    openInput(in, options_.mutateFrom);
    std::int64_t claims = 0;
    in.forEachLine([&claims](std::string_view line, std::int64_t) {
        if (qm::takeRecordLine(line) && line.substr(0, 3) == "CA0")
            ++claims;
    });
    return claims;
}

void FileMutator::choose(std::int64_t claims) {
    const std::int64_t wanted = options_.removeClaims + options_.changeClaims + options_.addClaims;
    if (wanted > claims)
        throw std::runtime_error(options_.mutateFrom + " has " + std::to_string(claims) +
                                 " claims, too few to remove, change and copy " +
                                 std::to_string(wanted) + " different ones");
    // A shuffle of the first `wanted` claim numbers among all.
    std::vector<std::int64_t> numbers(static_cast<std::size_t>(claims));
    std::iota(numbers.begin(), numbers.end(), 1);
    for (std::int64_t i = 0; i < wanted; ++i)
        std::swap(numbers[std::size_t(i)], numbers[std::size_t(rng_.between(i, claims - 1))]);
    const std::size_t size = static_cast<std::size_t>(claims) + 1;
    removed_.assign(size, 0);
    changed_.assign(size, 0);
    copied_.assign(size, 0);
    std::size_t at = 0;
    for (auto [marks, count] : {std::make_pair(&removed_, options_.removeClaims),
                                std::make_pair(&changed_, options_.changeClaims),
                                std::make_pair(&copied_, options_.addClaims)})
        for (std::int64_t i = 0; i < count; ++i)
            (*marks)[std::size_t(numbers[at++])] = 1;
}

FileMutator::Tally FileMutator::tallyOf(const std::vector<std::string>& lines) const {
    Tally tally;
    tally.claims = 1;
    for (const std::string& line : lines) {
        std::string_view record = line;
        if (!qm::takeRecordLine(record))
            continue;
        // The claim's own records, types C to H, as the trailers count them.
        if (record[0] >= 'C' && record[0] <= 'H')
            ++tally.records;
        if (record.substr(0, 3) == "FA0") {
            ++tally.serviceLines;
            tally.charges +=
                qm::parseInteger(fieldOf(line, serviceCharge_), 0, INT64_MAX / 4).value_or(0);
        }
    }
    return tally;
}

void FileMutator::changeFields(std::vector<std::string>& lines) {
    // Text fields that no trailer, check or pairing depends on.
    std::vector<std::pair<std::size_t, const qm::FieldDef*>> candidates;
    const int pcnEnd = pcn_.start + pcn_.length - 1;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        std::string_view record = lines[i];
        if (!qm::takeRecordLine(record) || record.substr(0, 3) == "XA0")
            continue;
        const qm::RecordLayout* layout = catalogue_.find(record.substr(0, 3));
        if (!layout)
            continue;
        for (const qm::FieldDef& field : layout->fields()) {
            const int end = field.StartPos + field.Length - 1;
            const bool text = field.TypeCodes.find_first_of("ND") == std::string::npos;
            // A change a reader would notice: not in a filler or reserved field.
            const bool spare = field.FieldName.rfind("Filler", 0) == 0 ||
                               field.FieldName.rfind("Reserved", 0) == 0;
            if (text && !spare && field.StartPos > 3 && field.Length >= 1 &&
                std::size_t(end) <= qm::kRecordLength && field.FieldName != "SEQUENCE NO" &&
                (end < pcn_.start || field.StartPos > pcnEnd))
                candidates.emplace_back(i, &field);
        }
    }
    const std::int64_t count =
        std::min<std::int64_t>(options_.changeFields, std::int64_t(candidates.size()));
    for (std::int64_t n = 0; n < count; ++n) {
        std::swap(candidates[std::size_t(n)],
                  candidates[std::size_t(rng_.between(n, std::int64_t(candidates.size()) - 1))]);
        const auto [index, field] = candidates[std::size_t(n)];
        std::string& line = lines[index];
        const std::size_t at = recordStart(line) + std::size_t(field->StartPos) - 1;
        const std::string before = line.substr(at, std::size_t(field->Length));
        std::string value(before.size(), ' ');
        for (char& c : value)
            c = static_cast<char>('A' + rng_.between(0, 25));
        if (value == before)
            value[0] = value[0] == 'A' ? 'B' : 'A';
        line.replace(at, value.size(), value);
        if (summary_)
            std::fprintf(summary_, "  changed %s %s\n", field->RecordType.c_str(),
                         field->FieldId.c_str());
    }
}

std::vector<std::string> FileMutator::copyWithNewNumber(const std::vector<std::string>& lines) {
    ++added_;
    std::string number(9, '0');
    FieldPlacer::number(number.data(), {1, 9}, std::uint64_t(added_));
    std::string pcn = "NEW" + number;
    pcn.resize(std::size_t(pcn_.length), ' ');
    const std::string old(fieldOf(lines.front(), pcn_));
    std::vector<std::string> copy = lines;
    // The claim's records repeat its control number; the copy's repeat the new one.
    for (std::string& line : copy)
        if (fieldOf(line, pcn_) == old && old.size() == pcn.size())
            line.replace(recordStart(line) + std::size_t(pcn_.start) - 1, pcn.size(), pcn);
    return copy;
}

void FileMutator::adjust(std::string& line, FieldRef field, std::int64_t delta) const {
    const std::optional<std::int64_t> value =
        qm::parseInteger(fieldOf(line, field), 0, INT64_MAX / 4);
    if (!value || delta == 0 || line.size() < recordStart(line) + qm::kRecordLength)
        return;
    FieldPlacer::number(line.data() + recordStart(line), field,
                        std::uint64_t(std::max<std::int64_t>(*value + delta, 0)));
}

void FileMutator::endClaim() {
    const std::int64_t n = claimNumber_;
    const Tally tally = tallyOf(claim_);
    if (removed_[std::size_t(n)]) {
        batchDelta_.add(tally, -1);
        fileDelta_.add(tally, -1);
        if (summary_)
            std::fprintf(summary_, "removed claim %" PRId64 "\n", n);
    } else {
        std::vector<std::string> lines = claim_;
        if (changed_[std::size_t(n)]) {
            if (summary_)
                std::fprintf(summary_, "changed claim %" PRId64 ":\n", n);
            changeFields(lines);
        }
        for (const std::string& line : lines)
            write(line);
    }
    if (copied_[std::size_t(n)]) {
        for (const std::string& line : copyWithNewNumber(claim_))
            write(line);
        batchDelta_.add(tally, 1);
        fileDelta_.add(tally, 1);
        if (summary_)
            std::fprintf(summary_, "added a copy of claim %" PRId64 " after it\n", n);
    }
    claim_.clear();
}

void FileMutator::run() {
    choose(countClaims());
    qm::SequentialFile in;
    openInput(in, options_.mutateFrom);
    qm::ClaimLoop loop;
    qm::ClaimTotals totals;
    bool inClaim = false;
    std::string line;
    while (in.readLine(line)) {
        std::string_view view = line;
        if (inClaim) {
            const qm::ClaimLoop::Step step = loop.next(view, totals);
            if (step != qm::ClaimLoop::Step::End) {
                claim_.push_back(line);
                if (step == qm::ClaimLoop::Step::ProcessThenEnd) {
                    endClaim();
                    inClaim = false;
                }
                continue;
            }
            // The line that ends the claim is read again below.
            endClaim();
            inClaim = false;
            view = line;
        }
        if (!qm::takeRecordLine(view)) {
            write(line);
            continue;
        }
        const std::string_view type = view.substr(0, 3);
        if (type == "CA0") {
            ++claimNumber_;
            loop = qm::ClaimLoop();
            loop.next(view, totals);
            claim_.push_back(line);
            inClaim = true;
            continue;
        }
        if (type == "BA0") {
            batchDelta_ = Tally();
        } else if (type == "YA0") {
            adjust(line, ya0Lines_, batchDelta_.serviceLines);
            adjust(line, ya0Records_, batchDelta_.records);
            adjust(line, ya0Claims_, batchDelta_.claims);
            adjust(line, ya0Charges_, batchDelta_.charges);
            batchDelta_ = Tally();
        } else if (type == "ZA0") {
            adjust(line, za0Lines_, fileDelta_.serviceLines);
            adjust(line, za0Records_, fileDelta_.records);
            adjust(line, za0Claims_, fileDelta_.claims);
            adjust(line, za0Charges_, fileDelta_.charges);
        }
        write(line);
    }
    if (inClaim)
        endClaim();
}

} // namespace nsfgen
