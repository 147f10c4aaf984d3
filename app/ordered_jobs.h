#pragma once
// Runs a batch's jobs on worker threads where the build has them, one after the other where it
// has none (WebAssembly without threads), with the same reports in the same order.

#include <cstddef>
#include <functional>

namespace zmbr {

// The number of jobs -j means when it is not given: the cores the build can use, at least 1.
int defaultJobs();

// Calls run(i) for every i below `count` on up to `jobs` workers, and report(i) on the calling
// thread in the order of i, as soon as run(i) and every report before it are done. What run(i)
// stores for report(i) is seen complete there.
void runInOrder(std::size_t count, int jobs, const std::function<void(std::size_t)>& run,
                const std::function<void(std::size_t)>& report);

} // namespace zmbr
