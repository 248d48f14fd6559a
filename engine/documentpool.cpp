#include "engine/documentpool.h"

#include <algorithm>
#include <atomic>
#include <thread>
#include <vector>

#ifdef __GLIBC__
#include <malloc.h>
#endif

namespace {

/* Keep freed memory in the threads' heaps rather than handing it back after every document.
   With the C library's defaults a heap gives back its free top as soon as it passes 128 KiB,
   and blocks of that size come from the system each time; with threads on other processors
   each such give-back stops them all to flush their address caches, which cost more than the
   conversions themselves. 16 MiB is far above what a document needs and bounds what a heap
   keeps. */
void keepFreedMemoryInHeaps() {
#ifdef __GLIBC__
    static const bool tuned = [] {
        const int size = 16 << 20;
        return mallopt(M_MMAP_THRESHOLD, size) == 1 && mallopt(M_TRIM_THRESHOLD, size) == 1;
    }();
    (void)tuned;
#endif
}

/* One thread: set up the worker, then convert until nothing is left or the run stops. */
void work(std::atomic<bool>& stopped, const DocumentPool::WorkerFactory& factory) {
    const std::unique_ptr<DocumentPool::Worker> worker = factory();
    if (!worker) {
        stopped = true;
        return;
    }
    while (!stopped) {
        switch (worker->convertNext()) {
            case DocumentPool::Step::Converted:
                break;
            case DocumentPool::Step::NoneLeft:
                return;
            case DocumentPool::Step::Stop:
                stopped = true;
                return;
        }
    }
}

}  // namespace

/* Start the threads (the calling thread waits), join them, tell whether the run completed. */
bool DocumentPool::run(int threads, const WorkerFactory& factory) {
    keepFreedMemoryInHeaps();
    std::atomic<bool> stopped{false};
    std::vector<std::thread> pool;
    pool.reserve(static_cast<std::size_t>(std::max(1, threads)));
    for (int t = 0; t < std::max(1, threads); ++t) {
        pool.emplace_back([&stopped, &factory] { work(stopped, factory); });
    }
    for (std::thread& thread : pool) {
        thread.join();
    }
    return !stopped;
}
