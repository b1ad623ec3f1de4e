#pragma once
// Work over the sites of a profile on a few threads, where the sites are independent (their
// forward models and Jacobian blocks). The sites are split into contiguous runs, one per
// thread, fixed by the count alone; each call of `work` writes only what belongs to its site,
// and everything that combines sites (sums, the solve) runs afterwards on the calling thread
// in site order. So the results are the same to the bit for any number of threads.

#include <cstddef>
#include <functional>

namespace mt1d::lci {

// `threads` as asked for: 0 means one per processor core.
std::size_t ThreadCount(std::size_t threads);

// Calls work(s) for every s in [0, count), on min(threads, count) threads (the calling thread
// is one of them). An exception thrown by `work` is thrown again here after every thread has
// finished; of several, the one from the lowest run.
void ForEachSite(std::size_t count, std::size_t threads, const std::function<void(std::size_t)>& work);

}  // namespace mt1d::lci
