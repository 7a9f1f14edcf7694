#include "cli/job_count.h"

#include <charconv>
#include <sched.h>
#include <thread>

namespace veltrane {

unsigned availableCores() {
    cpu_set_t cores;
    if (sched_getaffinity(0, sizeof cores, &cores) == 0) {
        const int count = CPU_COUNT(&cores);
        if (count > 0) {
            return static_cast<unsigned>(count);
        }
    }
    // More cores than the set can name: the machine's count is the next best answer.
    const unsigned machine = std::thread::hardware_concurrency();
    return machine > 0 ? machine : 1;
}

std::optional<unsigned> parseJobCount(std::string_view text) {
    if (text.empty() || text.front() < '0' || text.front() > '9') {
        return std::nullopt;
    }
    unsigned jobs = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), jobs);
    if (error != std::errc{} || end != text.data() + text.size() || jobs < 1 || jobs > maxJobs) {
        return std::nullopt;
    }
    return jobs;
}

} // namespace veltrane
