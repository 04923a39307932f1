#pragma once

#include "core/compare/Difference.h"
#include "core/compare/UnitRecords.h"
#include "core/layouts/LayoutCatalogue.h"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace qm {

class SequentialFile;

// One file of a comparison read front to back on a thread of its own, each
// claim with exactly the records a click on it reads: its file headers,
// batches and claims in the order the reading completes them, each with
// the key that pairs it with a unit of the other file and the records
// compared. They are handed over in groups through a short queue, which the
// reading waits on while it is full, so that a file is never held whole.
class UnitStream {
public:
    struct Unit {
        CompareUnit unit = CompareUnit::Claim;
        std::int64_t at = 0; // how far the reading had come when the unit was complete
        // Units of the same kind and key pair in the order they come: a
        // claim's key is its control number (CA0 03.0) with its batch's
        // provider (BA0 02.0), a batch's its provider, a file header's none.
        std::string key;
        // A claim's batch: the batch's key and its number among the batches
        // of that key (-1: the claim has no batch).
        std::string batchKey;
        std::int64_t batchNumber = -1;
        UnitPlace place;
        std::string name;   // see Difference::name
        std::string number; // see Difference::number
        UnitRecords records;
        bool unreadable = false; // a claim the file no longer held as it was
    };

    struct Counts {
        std::int64_t headers = 0;
        std::int64_t batches = 0;
        std::int64_t claims = 0;
    };

    // Starts reading the file behind `file` through readers of its own;
    // `file` must outlive the stream. byPosition: every key is empty, so
    // that units pair by order alone. Once cancel is set the reading stops soon.
    UnitStream(const SequentialFile& file, std::shared_ptr<const LayoutCatalogue> layouts,
               bool byPosition, const std::atomic<bool>& cancel);
    // Waits for the reading to stop.
    ~UnitStream();
    UnitStream(const UnitStream&) = delete;
    UnitStream& operator=(const UnitStream&) = delete;

    // The next unit (the caller may take its parts), or null at the end or
    // after a cancel. Waits while the reading is behind.
    Unit* next();

    // The file's size when the stream began, and how far the reading has come.
    std::int64_t size() const { return size_; }
    std::int64_t bytesRead() const { return bytesRead_.load(std::memory_order_relaxed); }
    // Once next() has returned null: how many units the file had, and
    // whether its size or identity changed while it was read.
    const Counts& counts() const { return counts_; }
    bool fileChanged() const { return identityAtEnd_ != identityAtStart_; }

private:
    class Reader;

    void read(const SequentialFile& file, std::shared_ptr<const LayoutCatalogue> layouts,
              bool byPosition);
    // Reading thread: a complete unit, and the end.
    void emit(Unit&& unit);
    void handOver();
    void end();

    const std::atomic<bool>& cancel_;
    std::int64_t size_ = 0;
    std::atomic<std::int64_t> bytesRead_{0};
    std::string identityAtStart_;
    std::string identityAtEnd_;
    Counts counts_;

    // The reading thread's group being filled.
    std::vector<Unit> filling_;
    std::size_t fillingBytes_ = 0;

    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<std::vector<Unit>> groups_;
    bool ended_ = false;

    // The group being taken by next().
    std::vector<Unit> taking_;
    std::size_t takeAt_ = 0;

    std::thread thread_;
};

} // namespace qm
