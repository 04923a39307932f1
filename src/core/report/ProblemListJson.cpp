#include "core/report/ProblemListJson.h"

#include "core/report/ProblemRowJson.h"

#include <algorithm>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>
#include <vector>

namespace qm {

namespace {

// Text is written a block at a time.
constexpr std::size_t kBlockBytes = std::size_t(1) << 15;
// Rows a thread puts into words at once: some megabytes of text, so that
// handing them over costs nothing beside them.
constexpr std::size_t kSliceRows = 8192;
// Threads beyond the cores only hold more slices (megabytes each).
constexpr unsigned kMostThreads = 16;

// Rows read back, their values copied, as the spool's views last only while
// it hands the row on, and their words once a thread has put them.
struct Slot {
    std::vector<ProblemSpool::Row> rows;
    std::string values;
    bool first = false; // holds the list's first row
    std::string text;
    bool worded = false;
};

std::string_view separator(bool first) {
    return first ? std::string_view() : std::string_view(",\n", 2);
}

void putInWords(Slot& slot, ProblemRowJson& rowJson, const RuleCatalogue* rules) {
    slot.text.assign(slot.first ? 1 : 0, '\n');
    std::size_t at = 0;
    bool first = slot.first;
    for (const ProblemSpool::Row& row : slot.rows) {
        // The value's view pointed at its copy.
        const std::string_view value(slot.values.data() + at, row.value.size());
        at += value.size();
        rowJson.append(slot.text, separator(first), {row.problem, value, rules}, row.batchPosition,
                       row.claimPosition);
        first = false;
    }
}

} // namespace

ProblemListJson::ProblemListJson(const LayoutCatalogue* layouts, const RuleCatalogue* rules,
                                 int jobs)
    : layouts_(layouts)
    , rules_(rules)
    , threads_(std::min({jobs > 0 ? unsigned(jobs) : kMostThreads,
                         std::max(1u, std::thread::hardware_concurrency()), kMostThreads})) {
}

bool ProblemListJson::write(ProblemSpool& rows, std::ostream& out) const {
    return threads_ > 1 ? writeInSlices(rows, out) : writeInOrder(rows, out);
}

bool ProblemListJson::writeInOrder(ProblemSpool& rows, std::ostream& out) const {
    ProblemRowJson rowJson(layouts_);
    std::string text(1, '\n');
    text.reserve(2 * kBlockBytes);
    bool first = true;
    const bool kept = rows.forEach([&](const ProblemSpool::Row& row) {
        rowJson.append(text, separator(first), {row.problem, row.value, rules_}, row.batchPosition,
                       row.claimPosition);
        first = false;
        if (text.size() >= kBlockBytes) {
            out.write(text.data(), std::streamsize(text.size()));
            text.clear();
        }
    });
    if (first)
        text = "]";
    else
        text += "\n]";
    out.write(text.data(), std::streamsize(text.size()));
    return kept;
}

bool ProblemListJson::writeInSlices(ProblemSpool& rows, std::ostream& out) const {
    // A few slices a thread, each slot's room kept from slice to slice: the
    // reading seldom waits for a thread, and gathers some megabytes at most.
    std::vector<Slot> slots(2 * threads_);
    std::mutex mutex;
    std::condition_variable changed;
    std::deque<std::size_t> work; // slots filled, for a thread to take
    bool ended = false;
    std::vector<std::thread> workers;
    for (unsigned t = 0; t < threads_; ++t)
        workers.emplace_back([&] {
            ProblemRowJson rowJson(layouts_);
            std::unique_lock<std::mutex> lock(mutex);
            for (;;) {
                changed.wait(lock, [&] { return ended || !work.empty(); });
                if (work.empty())
                    return;
                Slot& slot = slots[work.front()];
                work.pop_front();
                lock.unlock();
                putInWords(slot, rowJson, rules_);
                lock.lock();
                slot.worded = true;
                changed.notify_all();
            }
        });
    std::size_t filled = 0; // slices handed to the threads
    std::size_t written = 0;
    const auto writeNext = [&] {
        Slot& slot = slots[written++ % slots.size()];
        {
            std::unique_lock<std::mutex> lock(mutex);
            changed.wait(lock, [&] { return slot.worded; });
        }
        out.write(slot.text.data(), std::streamsize(slot.text.size()));
    };
    Slot* slot = &slots[0];
    const auto handOn = [&] {
        {
            std::lock_guard<std::mutex> lock(mutex);
            slot->worded = false;
            work.push_back(filled % slots.size());
        }
        changed.notify_all();
        if (++filled - written == slots.size())
            writeNext();
        slot = &slots[filled % slots.size()];
        slot->rows.clear();
        slot->values.clear();
        slot->first = false;
    };
    slot->first = true;
    const bool kept = rows.forEach([&](const ProblemSpool::Row& row) {
        slot->rows.push_back(row);
        slot->values.append(row.value);
        if (slot->rows.size() == kSliceRows)
            handOn();
    });
    if (!slot->rows.empty())
        handOn();
    while (written < filled)
        writeNext();
    {
        std::lock_guard<std::mutex> lock(mutex);
        ended = true;
    }
    changed.notify_all();
    for (std::thread& worker : workers)
        worker.join();
    out << (filled ? "\n]" : "]");
    return kept;
}

} // namespace qm
