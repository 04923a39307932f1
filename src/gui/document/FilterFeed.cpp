#include "gui/document/FilterFeed.h"

#include "core/filetree/FileTree.h"

FilterFeed::FilterFeed(std::shared_ptr<const qm::FileTree> tree)
    : tree_(std::move(tree))
    , rows_(tree_) {
}

void FilterFeed::claim(const qm::ClaimListRow& row, bool matched) {
    std::int64_t node = -1;
    if (matched && tree_)
        node = tree_->findNode("CA0", row.position).value_or(-1);
    std::lock_guard<std::mutex> lock(mutex_);
    if (first_ < 0) {
        first_ = row.position;
        changed_.notify_all();
    }
    last_ = row.position;
    ++claims_;
    if (matched)
        rows_.add(row, node);
}

void FilterFeed::end(bool done) {
    std::lock_guard<std::mutex> lock(mutex_);
    ended_ = true;
    done_ = done;
    changed_.notify_all();
}

bool FilterFeed::take(FilteredClaims& rows, std::int64_t& claims, std::chrono::milliseconds wait) {
    std::unique_lock<std::mutex> lock(mutex_);
    if (!ended_ && rows_.rows.empty())
        changed_.wait_for(lock, wait);
    claims += std::exchange(claims_, 0);
    if (rows.rows.empty())
        rows = std::exchange(rows_, FilteredClaims(tree_));
    else
        rows.append(std::exchange(rows_, FilteredClaims(tree_)));
    return ended_;
}

std::int64_t FilterFeed::firstPosition(std::chrono::milliseconds wait) {
    std::unique_lock<std::mutex> lock(mutex_);
    if (first_ < 0 && !ended_)
        changed_.wait_for(lock, wait);
    return first_;
}

bool FilterFeed::ended() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return ended_;
}

bool FilterFeed::done() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return done_;
}

std::int64_t FilterFeed::lastPosition() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return last_;
}
