#pragma once
// The threads of one build. The caller is one of them: a pool of one starts
// no thread and runs everything in place. Stages split their work into
// pieces whose results do not depend on which thread ran them, so a build
// gives the same bytes whatever the count.
#include <condition_variable>
#include <cstddef>
#include <exception>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

class WorkerPool {
public:
    explicit WorkerPool(int threads);
    ~WorkerPool();
    WorkerPool(const WorkerPool&) = delete;
    WorkerPool& operator=(const WorkerPool&) = delete;

    int Size() const { return static_cast<int>(workers.size()) + 1; }
    // Runs piece(i) for every i in 0 .. count-1, spread over the threads, and
    // returns when all have run. Pieces must not share what they write. What
    // a piece throws (the first of them) is thrown again here, once every
    // piece has run.
    void Run(int count, const std::function<void(int)>& piece);
    // Runs aside on another thread while the caller runs here, and returns
    // (or throws what either threw) when both have run, one after the other
    // on a pool of one. here may run jobs on the pool: their pieces go to
    // the other threads, and to the one that runs aside once it is done.
    // aside must not use the pool, and the two must not share what they write.
    void RunBeside(const std::function<void()>& aside, const std::function<void()>& here);

private:
    void Work();
    void Drain(std::unique_lock<std::mutex>& lock);
    void TakeAside(std::unique_lock<std::mutex>& lock);

    std::vector<std::thread> workers;
    std::mutex mutex;
    std::condition_variable wake, done;
    const std::function<void(int)>* job = nullptr;
    int jobCount = 0;
    int next = 0;     // first piece nobody has taken
    int finished = 0; // pieces done
    unsigned generation = 0;
    bool stopping = false;
    std::exception_ptr failure; // the first a piece of the current job threw
    // The job run beside, apart from the pieces of Run.
    const std::function<void()>* sideJob = nullptr;
    bool sidePending = false, sideDone = false;
    std::exception_ptr sideFailure;
};

// Splits the rows 0 .. n-1 into the given number of bands, as even as can be,
// and runs rows(band, begin, end) for each on the pool's threads (in place
// for one band or without a pool).
void ForRowBands(WorkerPool* pool, int n, int bands, const std::function<void(int, int, int)>& rows);
// The first row of band b of those.
inline int RowBandStart(int n, int bands, int b) {
    return static_cast<int>(static_cast<long long>(n) * b / bands);
}

// Splits 0 .. count-1 into about pieces ranges of whole blocks and runs
// range(begin, end) for each, on the pool's threads (in place without a pool).
void RunRanges(WorkerPool* pool, std::size_t count, std::size_t block,
               const std::function<void(std::size_t, std::size_t)>& range);
