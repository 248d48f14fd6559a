#pragma once

// DocumentPool: runs the documents of a job on several threads. Each thread sets up its own
// worker (its own office sessions) once, then lets it convert one document after another
// until the worker has none left or stops the run. Where the documents come from and the
// order in which results are counted are the workers' business.

#include <functional>
#include <memory>

class DocumentPool {
public:
    // What a worker's step did.
    enum class Step { Converted, NoneLeft, Stop };
    // One thread's worker: created on its thread, used and destroyed there.
    class Worker {
    public:
        virtual ~Worker() = default;
        // Take the next document and convert it; NoneLeft ends this thread, Stop the whole run.
        virtual Step convertNext() = 0;
    };
    // Creates a thread's worker on that thread; null stops the whole run.
    using WorkerFactory = std::function<std::unique_ptr<Worker>()>;

    // Run `threads` threads (at least one) and return when every thread has ended. True unless
    // a worker or the factory stopped the run.
    static bool run(int threads, const WorkerFactory& factory);
};
