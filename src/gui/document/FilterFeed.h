#pragma once

#include "gui/document/FilteredClaims.h"

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>

namespace qm {
class FileTree;
struct ClaimListRow;
} // namespace qm

// The claims of one filter as the whole-file check's reading hands them on
// (on the check's thread), waiting for the filter's job to take them (on its
// own): the matching ones with their nodes in the tree, and how many claims
// came in all.
class FilterFeed {
public:
    explicit FilterFeed(std::shared_ptr<const qm::FileTree> tree);

    // The check's side.
    void claim(const qm::ClaimListRow& row, bool matched);
    void end(bool done);

    // The job's side: waits up to `wait` for claims or the end, and moves the
    // matching claims that came into `rows`, adding those counted to `claims`.
    // True once the reading has ended and everything was taken.
    bool take(FilteredClaims& rows, std::int64_t& claims, std::chrono::milliseconds wait);
    // Waits up to `wait` for the first claim; its position, or -1 when none
    // came yet (or none will: ended()).
    std::int64_t firstPosition(std::chrono::milliseconds wait);
    bool ended() const;
    // Once ended: whether the file was read to its end.
    bool done() const;
    // The position of the last claim that came; -1 for none.
    std::int64_t lastPosition() const;

private:
    std::shared_ptr<const qm::FileTree> tree_;
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    FilteredClaims rows_;
    std::int64_t claims_ = 0;
    std::int64_t first_ = -1;
    std::int64_t last_ = -1;
    bool ended_ = false;
    bool done_ = false;
};
