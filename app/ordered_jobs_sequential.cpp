// A build without threads (WebAssembly without its thread support): -j is accepted, and the
// jobs run one after the other.

#include "ordered_jobs.h"

namespace zmbr {

int defaultJobs() {
    return 1;
}

void runInOrder(std::size_t count, int, const std::function<void(std::size_t)>& run,
                const std::function<void(std::size_t)>& report) {
    for (std::size_t i = 0; i < count; ++i) {
        run(i);
        report(i);
    }
}

} // namespace zmbr
