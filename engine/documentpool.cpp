#include "engine/documentpool.h"

#include <algorithm>
#include <atomic>
#include <thread>
#include <vector>

namespace {

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
