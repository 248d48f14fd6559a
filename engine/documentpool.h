#pragma once

// DocumentPool: runs the documents of a job on several threads. Each thread sets up its own
// worker (its own office sessions) once, then takes the next untaken document index, lowest
// first, until none is left or a worker stops the run. The pool knows nothing of documents
// beyond their index; ordering of what the workers report is the workers' business.

#include <functional>
#include <memory>

class DocumentPool {
public:
    // One thread's worker: created on its thread, used and destroyed there.
    class Worker {
    public:
        virtual ~Worker() = default;
        // Convert document `index`; false stops the whole run (no further index is taken).
        virtual bool convert(int index) = 0;
    };
    // Creates a thread's worker on that thread; null stops the whole run.
    using WorkerFactory = std::function<std::unique_ptr<Worker>()>;

    // Run indices 0 .. count-1 on `threads` threads (at least one; no more than `count`), and
    // return when every thread has ended. True unless a worker or the factory stopped the run.
    static bool run(int threads, int count, const WorkerFactory& factory);
};
