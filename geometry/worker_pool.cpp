#include "geometry/worker_pool.h"

#include <algorithm>
#include <exception>
#include <utility>

WorkerPool::WorkerPool(int threads) {
    for (int i = 1; i < threads; ++i) workers.emplace_back([this] { Work(); });
}

WorkerPool::~WorkerPool() {
    {
        std::lock_guard<std::mutex> lock(mutex);
        stopping = true;
    }
    wake.notify_all();
    for (std::thread& t : workers) t.join();
}

// Takes pieces of the current job until none is left.
void WorkerPool::Drain(std::unique_lock<std::mutex>& lock) {
    while (next < jobCount) {
        const int i = next++;
        const std::function<void(int)>& piece = *job;
        lock.unlock();
        std::exception_ptr error;
        try {
            piece(i);
        } catch (...) {
            error = std::current_exception();
        }
        lock.lock();
        if (error && !failure) failure = error;
        if (++finished == jobCount) done.notify_all();
    }
}

void WorkerPool::Work() {
    unsigned seen = 0;
    std::unique_lock<std::mutex> lock(mutex);
    for (;;) {
        wake.wait(lock, [&] { return stopping || generation != seen; });
        if (stopping) return;
        seen = generation;
        Drain(lock);
    }
}

void WorkerPool::Post(const std::function<void(int)>& piece, int count) {
    job = &piece;
    jobCount = count;
    next = 0;
    finished = 0;
    ++generation;
}

void WorkerPool::Finish(std::unique_lock<std::mutex>& lock) {
    Drain(lock); // what no thread has taken yet
    done.wait(lock, [&] { return finished == jobCount; });
    job = nullptr;
    jobCount = 0;
    if (failure) std::rethrow_exception(std::exchange(failure, nullptr));
}

void WorkerPool::Run(int count, const std::function<void(int)>& piece) {
    if (count <= 0) return;
    if (workers.empty() || count == 1) {
        for (int i = 0; i < count; ++i) piece(i);
        return;
    }
    std::unique_lock<std::mutex> lock(mutex);
    Post(piece, count);
    wake.notify_all();
    Finish(lock);
}

void WorkerPool::RunBeside(const std::function<void()>& aside, const std::function<void()>& here) {
    if (workers.empty()) {
        here();
        aside();
        return;
    }
    const std::function<void(int)> piece = [&aside](int) { aside(); };
    std::unique_lock<std::mutex> lock(mutex);
    Post(piece, 1);
    wake.notify_one();
    lock.unlock();
    // aside reads what here's caller owns: it must end before anything unwinds.
    std::exception_ptr failed;
    try {
        here();
    } catch (...) {
        failed = std::current_exception();
    }
    lock.lock();
    Finish(lock);
    if (failed) std::rethrow_exception(failed);
}

void RunRanges(WorkerPool* pool, std::size_t count, std::size_t block,
               const std::function<void(std::size_t, std::size_t)>& range) {
    if (count == 0) return;
    block = std::max<std::size_t>(block, 1);
    const std::size_t threads = pool ? static_cast<std::size_t>(pool->Size()) : 1;
    const std::size_t blocks = (count + block - 1) / block;
    // A few pieces per thread even out threads that the machine slows down.
    const std::size_t pieces = std::min(blocks, threads == 1 ? 1 : threads * 4);
    if (pieces <= 1) {
        range(0, count);
        return;
    }
    pool->Run(static_cast<int>(pieces), [&](int p) {
        const std::size_t b0 = blocks * static_cast<std::size_t>(p) / pieces;
        const std::size_t b1 = blocks * static_cast<std::size_t>(p + 1) / pieces;
        range(b0 * block, std::min(count, b1 * block));
    });
}

void ForRowBands(WorkerPool* pool, int n, int bands, const std::function<void(int, int, int)>& rows) {
    bands = std::max(bands, 1);
    auto band = [&](int b) {
        rows(b, RowBandStart(n, bands, b), RowBandStart(n, bands, b + 1));
    };
    if (!pool || bands == 1) {
        for (int b = 0; b < bands; ++b) band(b);
        return;
    }
    pool->Run(bands, band);
}
