// Runs one piece of work per index on a few threads and hands the results over in index
// order, for batch commands that must print the same whatever the thread count.
#pragma once

#include <atomic>
#include <cstddef>
#include <functional>

// Calls `work(i)` for i = 0, 1, ... count - 1 on `jobs` threads (at least one), which
// take indexes in order from a shared counter; `work` keeps its result by index. On the
// calling thread, `report(i)` is called for each index in order as soon as it and every
// index before it are done, and `progress(done)` every `progressEvery` seconds and at
// the end, when given. Once `stop` is true no index is started; those in flight finish
// and are reported. Returns how many indexes were reported (all those started, a prefix
// of the indexes). An exception from `work` stops the batch like `stop` and is rethrown
// here once the threads have finished; one from `report` likewise.
std::size_t vfToolRunBatch(std::size_t count, int jobs, const std::function<void(std::size_t)>& work,
                           const std::function<void(std::size_t)>& report,
                           const std::atomic<bool>& stop,
                           const std::function<void(std::size_t)>& progress = {},
                           double progressEvery = 0.2);
