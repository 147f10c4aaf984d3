#include "ordered_jobs.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

namespace zmbr {

int defaultJobs() {
    return static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
}

void runInOrder(std::size_t count, int jobs, const std::function<void(std::size_t)>& run,
                const std::function<void(std::size_t)>& report) {
    std::vector<bool> done(count, false);
    std::mutex mutex;
    std::condition_variable finished;
    std::atomic<std::size_t> next{0};
    auto work = [&] {
        for (std::size_t i; (i = next++) < count;) {
            run(i);
            std::lock_guard lock(mutex);
            done[i] = true;
            finished.notify_all();
        }
    };
    const std::size_t threads = std::min(static_cast<std::size_t>(std::max(jobs, 1)), count);
    std::vector<std::thread> workers;
    for (std::size_t t = 0; t < threads; ++t)
        workers.emplace_back(work);
    for (std::size_t i = 0; i < count; ++i) {
        {
            std::unique_lock lock(mutex);
            finished.wait(lock, [&] { return done[i]; });
        }
        report(i);
    }
    for (std::thread& w : workers)
        w.join();
}

} // namespace zmbr
