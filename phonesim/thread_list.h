// Threads that end on their own, each kept with what it serves (a connection,
// a socket) until it is joined. Joining the finished ones whenever a new one
// starts keeps a long run from collecting threads.
#pragma once

#include <algorithm>
#include <atomic>
#include <functional>
#include <iterator>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace phonesim {

template <typename Item>
class ThreadList {
public:
    ThreadList() = default;
    ~ThreadList() { joinAll(); }
    ThreadList(const ThreadList&) = delete;
    ThreadList& operator=(const ThreadList&) = delete;

    // Runs work on a thread of its own; item is dropped once that thread is joined.
    void start(Item item, std::function<void()> work) {
        auto done = std::make_shared<std::atomic<bool>>(false);
        std::thread thread([work = std::move(work), done] {
            work();
            *done = true;
        });
        std::lock_guard<std::mutex> lock(mutex_);
        entries_.push_back(Entry{std::move(item), std::move(thread), std::move(done)});
    }

    // Calls f with the item of every thread not joined yet.
    void forEach(const std::function<void(Item&)>& f) {
        std::lock_guard<std::mutex> lock(mutex_);
        for (Entry& e : entries_) f(e.item);
    }

    void joinFinished() { join(false); }
    // Waits for every thread: the caller has made them end (or knows they will).
    void joinAll() { join(true); }

private:
    struct Entry {
        Item item;
        std::thread thread;
        std::shared_ptr<std::atomic<bool>> done;
    };

    void join(bool all) {
        std::vector<Entry> leaving;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            auto split = std::partition(entries_.begin(), entries_.end(),
                                        [all](const Entry& e) { return !all && !*e.done; });
            std::move(split, entries_.end(), std::back_inserter(leaving));
            entries_.erase(split, entries_.end());
        }
        for (Entry& e : leaving) e.thread.join();
    }

    std::mutex mutex_;  // entries_
    std::vector<Entry> entries_;
};

}  // namespace phonesim
