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

namespace {

// What f throws, caught to be thrown again on the caller's thread.
template <class F> std::exception_ptr Attempt(const F& f) {
    try {
        f();
    } catch (...) {
        return std::current_exception();
    }
    return nullptr;
}

} // namespace

// Takes pieces of the current job until none is left.
void WorkerPool::Drain(std::unique_lock<std::mutex>& lock) {
    while (next < jobCount) {
        const int i = next++;
        const std::function<void(int)>& piece = *job;
        lock.unlock();
        const std::exception_ptr error = Attempt([&] { piece(i); });
        lock.lock();
        if (error && !failure) failure = error;
        if (++finished == jobCount) done.notify_all();
    }
}

// Runs the job set aside, if no thread has taken it yet.
void WorkerPool::TakeAside(std::unique_lock<std::mutex>& lock) {
    if (!sidePending) return;
    sidePending = false;
    const std::function<void()>& run = *sideJob;
    lock.unlock();
    const std::exception_ptr error = Attempt(run);
    lock.lock();
    sideFailure = error;
    sideDone = true;
    done.notify_all();
}

void WorkerPool::Work() {
    unsigned seen = 0;
    std::unique_lock<std::mutex> lock(mutex);
    for (;;) {
        wake.wait(lock, [&] { return stopping || sidePending || generation != seen; });
        if (stopping) return;
        TakeAside(lock);
        if (generation == seen) continue;
        seen = generation;
        Drain(lock);
    }
}

void WorkerPool::Run(int count, const std::function<void(int)>& piece) {
    if (count <= 0) return;
    if (workers.empty() || count == 1) {
        for (int i = 0; i < count; ++i) piece(i);
        return;
    }
    std::unique_lock<std::mutex> lock(mutex);
    job = &piece;
    jobCount = count;
    next = 0;
    finished = 0;
    ++generation;
    wake.notify_all();
    Drain(lock); // a thread busy aside joins in once it is done
    done.wait(lock, [&] { return finished == jobCount; });
    job = nullptr;
    jobCount = 0;
    if (failure) std::rethrow_exception(std::exchange(failure, nullptr));
}

void WorkerPool::RunBeside(const std::function<void()>& aside, const std::function<void()>& here) {
    if (workers.empty()) {
        here();
        aside();
        return;
    }
    std::unique_lock<std::mutex> lock(mutex);
    sideJob = &aside;
    sidePending = true;
    sideDone = false;
    wake.notify_one();
    lock.unlock();
    // The aside job reads what here's caller owns: it must end before
    // anything unwinds.
    const std::exception_ptr failed = Attempt(here);
    lock.lock();
    TakeAside(lock);
    done.wait(lock, [&] { return sideDone; });
    sideJob = nullptr;
    if (const std::exception_ptr error = std::exchange(sideFailure, nullptr)) std::rethrow_exception(error);
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
