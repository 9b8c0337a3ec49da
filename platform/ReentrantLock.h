#pragma once
// The engine lock: a re-entrant lock (a thread that holds it may take it
// again) that can also be tried with a time limit. Built on a plain mutex
// and a condition variable, so that ThreadSanitizer follows it exactly.
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

class ReentrantLock {
public:
    void lock() {
        std::unique_lock guard(mutex_);
        const auto me = std::this_thread::get_id();
        if (owner_ == me) {
            ++depth_;
            return;
        }
        freed_.wait(guard, [this] { return depth_ == 0; });
        owner_ = me;
        depth_ = 1;
    }

    bool try_lock() { return try_lock_for(std::chrono::milliseconds(0)); }

    template <class Rep, class Period>
    bool try_lock_for(const std::chrono::duration<Rep, Period>& wait) {
        std::unique_lock guard(mutex_);
        const auto me = std::this_thread::get_id();
        if (owner_ == me) {
            ++depth_;
            return true;
        }
        if (!freed_.wait_for(guard, wait, [this] { return depth_ == 0; })) return false;
        owner_ = me;
        depth_ = 1;
        return true;
    }

    void unlock() {
        std::unique_lock guard(mutex_);
        if (owner_ != std::this_thread::get_id() || depth_ == 0) return;  // not held by this thread
        if (--depth_ == 0) {
            owner_ = std::thread::id();
            guard.unlock();
            freed_.notify_all();
        }
    }

    // True when the calling thread holds the lock.
    bool HeldByCurrentThread() const {
        std::lock_guard guard(mutex_);
        return depth_ > 0 && owner_ == std::this_thread::get_id();
    }

private:
    mutable std::mutex mutex_;
    std::condition_variable freed_;
    std::thread::id owner_;
    int depth_ = 0;
};
