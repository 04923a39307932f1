#include "gui/common/BackgroundRelease.h"

#if defined(__GLIBC__)
#include <malloc.h>
#endif

#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>
#include <utility>

namespace {

// One thread for the whole program, started by the first value handed over;
// at exit it lets go of what is left and is joined.
class Releaser {
public:
    ~Releaser() {
        {
            const std::lock_guard<std::mutex> lock(mutex_);
            stopping_ = true;
        }
        ready_.notify_one();
        if (thread_.joinable())
            thread_.join();
    }

    void drop(std::shared_ptr<const void> value) {
        {
            const std::lock_guard<std::mutex> lock(mutex_);
            values_.push_back(std::move(value));
            if (!thread_.joinable())
                thread_ = std::thread([this] { run(); });
        }
        ready_.notify_one();
    }

private:
    void run() {
        std::unique_lock<std::mutex> lock(mutex_);
        for (;;) {
            ready_.wait(lock, [this] { return stopping_ || !values_.empty(); });
            if (values_.empty())
                return;
            std::shared_ptr<const void> value = std::move(values_.front());
            values_.pop_front();
            const bool last = values_.empty();
            lock.unlock();
            value.reset();
            if (last)
                BackgroundRelease::giveBackFreed();
            lock.lock();
        }
    }

    std::mutex mutex_;
    std::condition_variable ready_;
    std::deque<std::shared_ptr<const void>> values_;
    bool stopping_ = false;
    std::thread thread_;
};

} // namespace

void BackgroundRelease::drop(std::shared_ptr<const void> value) {
    if (!value)
        return;
    static Releaser releaser;
    releaser.drop(std::move(value));
}

void BackgroundRelease::giveBackFreed() {
#if defined(__GLIBC__)
    malloc_trim(0);
#endif
}
