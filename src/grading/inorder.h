#pragma once

// Work on many items at once, results taken in order: `work(i)` runs for
// each i from 0 to count - 1 on up to `threads` threads, and `take(i, result)`
// gets each result on the calling thread in the order of i, as soon as that
// one and every one before it are done. What is taken is thus the same, in
// the same order, however many threads worked on it.
//
// `work` may run on several threads at once, so it must touch nothing that
// another item's work changes. `take` returning false stops the work: the
// items under way finish, no further item starts, nothing more is taken.

#include <QtGlobal>

#include <algorithm>
#include <condition_variable>
#include <map>
#include <mutex>
#include <thread>
#include <vector>

namespace grading
{

// How many items may be done ahead of the one to take next, per thread: the
// threads are kept busy while what waits to be taken stays small.
inline constexpr qsizetype kItemsAheadPerThread = 4;

template <typename Result, typename Work, typename Take>
void forEachInOrder(qsizetype count, qsizetype threads, Work work, Take take)
{
    threads = std::min(threads, count);
    if (threads <= 1) {
        for (qsizetype i = 0; i < count; ++i) {
            if (!take(i, work(i)))
                return;
        }
        return;
    }

    std::mutex mutex;
    std::condition_variable changed; // an item was done or taken, or the work stops
    std::map<qsizetype, Result> done;
    qsizetype next = 0;  // the next item to start
    qsizetype taken = 0; // the items taken so far
    bool stopping = false;
    const qsizetype ahead = threads * kItemsAheadPerThread;

    const auto worker = [&] {
        std::unique_lock lock(mutex);
        for (;;) {
            changed.wait(lock, [&] { return stopping || next >= count || next < taken + ahead; });
            if (stopping || next >= count)
                return;
            const qsizetype item = next++;
            lock.unlock();
            Result result = work(item);
            lock.lock();
            done.emplace(item, std::move(result));
            changed.notify_all();
        }
    };
    std::vector<std::thread> pool;
    pool.reserve(std::size_t(threads));
    for (qsizetype i = 0; i < threads; ++i)
        pool.emplace_back(worker);

    {
        std::unique_lock lock(mutex);
        while (taken < count) {
            changed.wait(lock, [&] { return done.count(taken) != 0; });
            auto node = done.extract(taken);
            lock.unlock();
            const bool goOn = take(taken, std::move(node.mapped()));
            lock.lock();
            ++taken;
            if (!goOn) {
                stopping = true;
                break;
            }
            changed.notify_all();
        }
        stopping = true;
    }
    changed.notify_all();
    for (std::thread &thread : pool)
        thread.join();
}

} // namespace grading
