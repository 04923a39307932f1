#pragma once

#include "core/compare/StreamUnit.h"
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

// One file of a comparison read front to back on a thread of its own by a
// UnitScanner: its file headers, batches and claims in the order the
// reading completes them, each claim with exactly the records a click on
// it reads. They are handed over in groups through a short queue, which the
// reading waits on while it is full, so that a file is never held whole.
class UnitStream {
public:
    using Unit = StreamUnit;

    struct Counts {
        std::int64_t headers = 0;
        std::int64_t batches = 0;
        std::int64_t claims = 0;
        std::int64_t lines = 0;
        // The lines outside every file header (see UnitScanner).
        std::int64_t fileUnshown = 0;
        std::uint64_t fileUnshownDigest = 0;
    };

    // Starts reading the file behind `file` through readers of its own;
    // `file` must outlive the stream. byPosition: every key is empty, so
    // that units pair by order alone; seed: of the digests. Once cancel is
    // set the reading stops soon.
    UnitStream(const SequentialFile& file, std::shared_ptr<const LayoutCatalogue> layouts,
               bool byPosition, std::uint64_t seed, const std::atomic<bool>& cancel);
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
    class Handing;

    void read(const SequentialFile& file, std::shared_ptr<const LayoutCatalogue> layouts,
              bool byPosition, std::uint64_t seed);
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
