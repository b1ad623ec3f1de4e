#include "lci/SiteThreads.h"

#include <algorithm>
#include <exception>
#include <thread>
#include <vector>

namespace mt1d::lci {

std::size_t ThreadCount(std::size_t threads)
{
    if (threads > 0) return threads;
    return std::max<std::size_t>(1, std::thread::hardware_concurrency());
}

void ForEachSite(std::size_t count, std::size_t threads, const std::function<void(std::size_t)>& work)
{
    const std::size_t runs = std::min(std::max<std::size_t>(threads, 1), count);
    if (runs <= 1) {
        for (std::size_t s = 0; s < count; ++s) work(s);
        return;
    }
    std::vector<std::exception_ptr> errors(runs);
    const auto run = [&](std::size_t r) {
        const std::size_t first = count * r / runs, last = count * (r + 1) / runs;
        try {
            for (std::size_t s = first; s < last; ++s) work(s);
        } catch (...) {
            errors[r] = std::current_exception();
        }
    };
    {
        std::vector<std::jthread> pool;
        pool.reserve(runs - 1);
        for (std::size_t r = 1; r < runs; ++r) pool.emplace_back(run, r);
        run(0);
    }  // the jthreads join here
    for (const auto& e : errors) {
        if (e) std::rethrow_exception(e);
    }
}

}  // namespace mt1d::lci
