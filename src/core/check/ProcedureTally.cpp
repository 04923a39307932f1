#include "core/check/ProcedureTally.h"

#include "core/check/StatisticsVisitor.h"
#include "core/common/RecordLine.h"
#include "core/common/TextUtil.h"
#include "core/io/SequentialFile.h"
#include "core/layouts/LayoutCatalogue.h"
#include "core/layouts/RecordTypes.h"

#include <algorithm>
#include <limits>
#include <vector>

namespace qm {

namespace {

constexpr std::uint64_t kMost = std::numeric_limits<std::uint64_t>::max();
// How often the second reading tells how far it has come.
constexpr std::int64_t kLinesBetweenProgress = 65536;

std::uint64_t weightOf(const FileStatistics::Sum& charges) {
    return charges.tooLarge() ? kMost : std::uint64_t(charges.above());
}

} // namespace

ProcedureTally::ProcedureTally(std::size_t limit)
    : limit_(std::max<std::size_t>(limit, 1)) {
}

void ProcedureTally::countAsHeavyHitters() {
    byLines_ = std::make_unique<HeavyHitters>(limit_);
    byCharges_ = std::make_unique<HeavyHitters>(limit_);
    // Counted one by one so far: exact counts, where the heavy hitters start.
    for (const auto& [code, tally] : codes_) {
        byLines_->add(code, std::uint64_t(tally.serviceLines));
        byCharges_->add(code, weightOf(tally.charges));
    }
    codes_ = {};
}

void ProcedureTally::add(
    const std::unordered_map<std::uint64_t, ChunkStatistics::Procedure>& chunk) {
    for (const auto& [code, tally] : chunk) {
        if (!byLines_) {
            auto at = codes_.find(code);
            if (at == codes_.end() && codes_.size() < limit_)
                at = codes_.emplace(code, ChunkStatistics::Procedure()).first;
            if (at != codes_.end()) {
                at->second.serviceLines += tally.serviceLines;
                at->second.charges.add(tally.charges);
                continue;
            }
            countAsHeavyHitters();
        }
        byLines_->add(code, std::uint64_t(tally.serviceLines));
        byCharges_->add(code, weightOf(tally.charges));
    }
}

bool ProcedureTally::recount(const SequentialFile& file, const LayoutCatalogue& layouts,
                             const Progress& progress) {
    codes_.clear();
    for (const HeavyHitters* kept : {byLines_.get(), byCharges_.get()})
        for (const std::uint64_t code : kept->keys())
            codes_.emplace(code, ChunkStatistics::Procedure());
    const RecordLayout& fa0 = layouts.at(recordTypeIndex("FA0"));
    const int procedure = fa0.indexOf("09.0");
    const int charges = fa0.indexOf("13.0");
    SequentialFile reader;
    if (!reader.openSame(file))
        return true; // the file is gone: it says so at the end of the check
    const std::int64_t size = reader.size();
    std::int64_t lines = 0;
    bool cancelled = false;
    reader.forEachLine([&](std::string_view line, std::int64_t lineStart) {
        if (++lines % kLinesBetweenProgress == 0 && progress && !progress(lineStart, size)) {
            cancelled = true;
            return false;
        }
        if (!takeRecordLine(line) || line.substr(0, 3) != "FA0" || procedure < 0)
            return true;
        const std::string_view code = trimSpaces(fa0.value(procedure, line));
        if (code.empty())
            return true;
        const auto at = codes_.find(StatisticsVisitor::packCode(code));
        if (at != codes_.end()) {
            ++at->second.serviceLines;
            StatisticsVisitor::amount(fa0, charges, line).addTo(at->second.charges);
        }
        return true;
    });
    if (progress && !cancelled)
        cancelled = !progress(size, size);
    return !cancelled;
}

void ProcedureTally::finish(FileStatistics& into) {
    std::vector<FileStatistics::Procedure> all;
    all.reserve(codes_.size());
    for (const auto& [code, tally] : codes_)
        all.push_back({StatisticsVisitor::unpackCode(code), tally.serviceLines, tally.charges});
    into.procedureCodes = std::int64_t(byLines_ ? limit_ : all.size());
    into.moreProcedureCodes = byLines_ != nullptr;
    // Ties go to the code first in order, so that the lists never depend on
    // the order the chunks met the codes in.
    auto top = [&all](auto more) {
        const std::size_t n = std::min(all.size(), FileStatistics::kTopProcedures);
        std::partial_sort(
            all.begin(), all.begin() + std::ptrdiff_t(n), all.end(),
            [&more](const FileStatistics::Procedure& a, const FileStatistics::Procedure& b) {
                return more(a, b) || (!more(b, a) && a.code < b.code);
            });
        return std::vector<FileStatistics::Procedure>(all.begin(), all.begin() + std::ptrdiff_t(n));
    };
    into.topByLines =
        top([](const FileStatistics::Procedure& a, const FileStatistics::Procedure& b) {
            return a.serviceLines > b.serviceLines;
        });
    into.topByCharges =
        top([](const FileStatistics::Procedure& a, const FileStatistics::Procedure& b) {
            return a.charges > b.charges;
        });
    into.topProceduresApproximate = false;
    if (!byLines_)
        return;
    // A code not kept has at most the least count kept: a list is sure when
    // its last has more than that. A list shorter than ten is never sure, as
    // there were codes not kept.
    const bool linesSure = into.topByLines.size() == FileStatistics::kTopProcedures &&
                           std::uint64_t(into.topByLines.back().serviceLines) > byLines_->minimum();
    bool chargesSure = into.topByCharges.size() == FileStatistics::kTopProcedures;
    if (chargesSure) {
        const FileStatistics::Sum& last = into.topByCharges.back().charges;
        chargesSure = last.tooLarge()
                          ? byCharges_->minimum() < kMost
                          : last.cents() > 0 && std::uint64_t(last.cents()) > byCharges_->minimum();
    }
    into.topProceduresApproximate = !linesSure || !chargesSure;
}

} // namespace qm
