// The batch runner: worker threads over a shared index counter, results reported in
// order from the calling thread.
#include "vxToolBatch.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <thread>
#include <vector>

std::size_t vfToolRunBatch(std::size_t count, int jobs, const std::function<void(std::size_t)>& work,
                           const std::function<void(std::size_t)>& report,
                           const std::atomic<bool>& stop,
                           const std::function<void(std::size_t)>& progress,
                           double progressEvery) {
    std::mutex mutex;
    std::condition_variable changed;
    std::vector<char> done(count, 0);
    std::size_t next = 0, finished = 0, running = 0;
    std::exception_ptr failure;

    // The next index to start, or count when the batch is over or stopped.
    const auto take = [&]() -> std::size_t {
        std::lock_guard<std::mutex> lock(mutex);
        if (next >= count || stop || failure) return count;
        ++running;
        return next++;
    };
    const auto worker = [&] {
        for (std::size_t i; (i = take()) < count;) {
            std::exception_ptr error;
            try {
                work(i);
            } catch (...) {
                error = std::current_exception();
            }
            std::lock_guard<std::mutex> lock(mutex);
            if (error && !failure) failure = error;
            done[i] = 1;
            ++finished;
            --running;
            changed.notify_all();
        }
    };
    std::vector<std::thread> threads;
    const std::size_t threadCount = std::min<std::size_t>(std::max(jobs, 1), std::max<std::size_t>(count, 1));
    for (std::size_t t = 0; t < threadCount; ++t)
        threads.emplace_back(worker);

    std::size_t reported = 0;
    std::unique_lock<std::mutex> lock(mutex);
    try {
        for (;;) {
            // Reported in order, outside the lock.
            while (reported < count && done[reported] && !failure) {
                lock.unlock();
                report(reported++);
                lock.lock();
            }
            // Everything started is reported and nothing more will start.
            const bool over = next >= count || stop || failure;
            if (over && running == 0 && (reported == next || failure)) break;
            if (progress) {
                const std::size_t d = finished;
                lock.unlock();
                progress(d);
                lock.lock();
            }
            changed.wait_for(lock, std::chrono::duration<double>(progressEvery));
        }
    } catch (...) {
        if (!lock.owns_lock()) lock.lock();
        if (!failure) failure = std::current_exception();
        changed.wait(lock, [&] { return running == 0; });
    }
    // Stopping: no index is taken any more.
    next = count;
    lock.unlock();
    for (std::thread& t : threads)
        t.join();
    if (failure) std::rethrow_exception(failure);
    if (progress) progress(finished);
    return reported;
}
