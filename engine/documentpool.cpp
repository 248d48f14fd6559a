#include "engine/documentpool.h"

#include <algorithm>
#include <atomic>
#include <thread>
#include <vector>

namespace {

// What the threads of one run share.
struct PoolState {
    int count = 0;
    std::atomic<int> next{0};
    std::atomic<bool> stopped{false};
};

/* One thread: set up the worker, then take indices until none is left or the run stops. */
void work(PoolState& state, const DocumentPool::WorkerFactory& factory) {
    const std::unique_ptr<DocumentPool::Worker> worker = factory();
    if (!worker) {
        state.stopped = true;
        return;
    }
    while (!state.stopped) {
        const int index = state.next.fetch_add(1);
        if (index >= state.count) {
            return;
        }
        if (!worker->convert(index)) {
            state.stopped = true;
        }
    }
}

}  // namespace

/* Start the threads (the calling thread waits), join them, tell whether the run completed. */
bool DocumentPool::run(int threads, int count, const WorkerFactory& factory) {
    PoolState state;
    state.count = count;
    const int used = std::max(1, std::min(threads, count));
    std::vector<std::thread> pool;
    pool.reserve(static_cast<std::size_t>(used));
    for (int t = 0; t < used; ++t) {
        pool.emplace_back([&state, &factory] { work(state, factory); });
    }
    for (std::thread& thread : pool) {
        thread.join();
    }
    return !state.stopped;
}
