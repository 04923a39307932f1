#include "core/report/ProblemSpool.h"

#include <cstring>
#include <ostream>
#include <type_traits>

namespace qm {

namespace {

// A member added to Problem must be kept here too (wordsOf and rowOf).
static_assert(sizeof(Problem) == 64, "every member of a problem is kept");

// A frame goes to the spool when it holds this much.
constexpr std::size_t kFrameBytes = std::size_t(1) << 16;
constexpr std::size_t kSizeBytes = 4;

// A word as the difference from the one before, zigzagged so that a small
// step back is as short as a small step on, in base-128 digits at out; where
// they end.
char* putDelta(char* out, std::uint64_t word, std::uint64_t before) {
    const std::uint64_t step = word - before;
    std::uint64_t zigzag = (step << 1) ^ (0 - (step >> 63));
    while (zigzag >= 0x80) {
        *out++ = static_cast<char>((zigzag & 0x7F) | 0x80);
        zigzag >>= 7;
    }
    *out++ = static_cast<char>(zigzag);
    return out;
}

// The word at *at, read on past it; false when the bytes end first.
bool takeDelta(const char*& at, const char* end, std::uint64_t& word) {
    std::uint64_t zigzag = 0;
    for (unsigned shift = 0; at < end && shift < 64; shift += 7) {
        const std::uint64_t digit = static_cast<unsigned char>(*at++);
        zigzag |= (digit & 0x7F) << shift;
        if (!(digit & 0x80)) {
            word += (zigzag >> 1) ^ (0 - (zigzag & 1));
            return true;
        }
    }
    return false;
}

} // namespace

ProblemSpool::ProblemSpool() {
    frame_.reserve(kFrameBytes + 256);
    frame_.assign(kSizeBytes, '\0');
}

ProblemSpool::Words ProblemSpool::wordsOf(const Problem& problem, std::int64_t batchPosition,
                                          std::int64_t claimPosition, std::uint64_t valueLength) {
    // The small members packed into two words, member by member (the
    // padding between them is no part of a row), then the six numbers.
    Words words;
    auto bits = [](auto member) {
        return static_cast<std::uint64_t>(
            static_cast<std::make_unsigned_t<decltype(member)>>(member));
    };
    words.word[0] = bits(std::uint8_t(problem.kind)) | bits(std::uint8_t(problem.scope)) << 8 |
                    bits(problem.flags) << 16 | bits(problem.recordType) << 24 |
                    bits(problem.occurrence) << 32 | bits(problem.field) << 48;
    words.word[1] = bits(std::uint8_t(problem.ruleSeverity)) | bits(problem.rule) << 32;
    const std::int64_t numbers[] = {problem.batch, problem.claim, problem.position,
                                    problem.line,  problem.found, problem.expected};
    static_assert(sizeof numbers / 8 + 2 + 3 == kWords);
    std::memcpy(words.word + 2, numbers, sizeof numbers);
    words.word[kWords - 3] = static_cast<std::uint64_t>(batchPosition);
    words.word[kWords - 2] = static_cast<std::uint64_t>(claimPosition);
    words.word[kWords - 1] = valueLength;
    return words;
}

void ProblemSpool::keep(const Problem& problem, std::int64_t batchPosition,
                        std::int64_t claimPosition, std::string_view value) {
    const Words words = wordsOf(problem, batchPosition, claimPosition, value.size());
    // Ten base-128 digits hold any word.
    char digits[kWords * 10];
    char* end = digits;
    for (std::size_t i = 0; i < kWords; ++i)
        end = putDelta(end, words.word[i], last_.word[i]);
    frame_.append(digits, std::size_t(end - digits));
    frame_.append(value);
    last_ = words;
    if (frame_.size() >= kFrameBytes)
        spillFrame();
}

void ProblemSpool::spillFrame() {
    const std::uint32_t size = static_cast<std::uint32_t>(frame_.size() - kSizeBytes);
    if (!size)
        return;
    std::memcpy(frame_.data(), &size, kSizeBytes);
    spool_.sputn(frame_.data(), std::streamsize(frame_.size()));
    frame_.resize(kSizeBytes);
}

Problem ProblemSpool::problemOf(const Words& words) {
    const std::uint64_t small = words.word[0];
    Problem p;
    p.kind = static_cast<Problem::Kind>(small & 0xFF);
    p.scope = static_cast<Problem::Scope>((small >> 8) & 0xFF);
    p.flags = static_cast<std::uint8_t>(small >> 16);
    p.recordType = static_cast<std::int8_t>(static_cast<std::uint8_t>(small >> 24));
    p.occurrence = static_cast<std::int16_t>(static_cast<std::uint16_t>(small >> 32));
    p.field = static_cast<std::int16_t>(static_cast<std::uint16_t>(small >> 48));
    p.ruleSeverity = static_cast<Problem::Severity>(words.word[1] & 0xFF);
    p.rule = static_cast<std::int32_t>(static_cast<std::uint32_t>(words.word[1] >> 32));
    std::int64_t numbers[6];
    std::memcpy(numbers, words.word + 2, sizeof numbers);
    p.batch = numbers[0];
    p.claim = numbers[1];
    p.position = numbers[2];
    p.line = numbers[3];
    p.found = numbers[4];
    p.expected = numbers[5];
    return p;
}

bool ProblemSpool::readFrame(std::string_view frame, Words& last,
                             const std::function<void(const Row&)>& visit) const {
    const char* at = frame.data();
    const char* const end = at + frame.size();
    while (at < end) {
        for (std::size_t i = 0; i < kWords; ++i)
            if (!takeDelta(at, end, last.word[i]))
                return false;
        const std::uint64_t length = last.word[kWords - 1];
        if (length > std::uint64_t(end - at))
            return false;
        Row row;
        row.problem = problemOf(last);
        row.batchPosition = static_cast<std::int64_t>(last.word[kWords - 3]);
        row.claimPosition = static_cast<std::int64_t>(last.word[kWords - 2]);
        row.value = std::string_view(at, std::size_t(length));
        at += length;
        visit(row);
    }
    return true;
}

bool ProblemSpool::forEach(const std::function<void(const Row&)>& visit) {
    spillFrame();
    Words last;
    bool whole = true;
    std::string pending; // a frame across the end of a block, gathered
    const bool kept = spool_.forEachBlock([&](std::string_view block) {
        while (whole && !block.empty()) {
            if (pending.size() < kSizeBytes) {
                const std::size_t wanted = kSizeBytes - pending.size();
                pending.append(block.substr(0, wanted));
                block.remove_prefix(std::min(wanted, block.size()));
                continue;
            }
            std::uint32_t size;
            std::memcpy(&size, pending.data(), kSizeBytes);
            const std::size_t wanted = kSizeBytes + size - pending.size();
            if (pending.size() == kSizeBytes && block.size() >= size) {
                // The frame whole within the block: read where it lies.
                whole = readFrame(block.substr(0, size), last, visit);
                block.remove_prefix(size);
                pending.clear();
                continue;
            }
            pending.append(block.substr(0, wanted));
            block.remove_prefix(std::min(wanted, block.size()));
            if (pending.size() == kSizeBytes + size) {
                whole = readFrame(std::string_view(pending).substr(kSizeBytes), last, visit);
                pending.clear();
            }
        }
    });
    return kept && whole && pending.empty();
}

} // namespace qm
