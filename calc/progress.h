#pragma once
// A calculation watched from another thread: how far its search has come, and a request to stop it.
#include <atomic>
#include <cstdint>
#include <stdexcept>

namespace dp {

// Thrown by a calculation that stopped because it was asked to; it leaves its results unfinished.
class ECalculationCancelled : public std::runtime_error {
public:
    ECalculationCancelled() : std::runtime_error("calculation cancelled") {}
};

class TCalcProgress {
public:
    // Asks the calculation to stop at its next check; safe from any thread.
    void RequestCancel() { cancel_.store(true, std::memory_order_relaxed); }
    bool CancelRequested() const { return cancel_.load(std::memory_order_relaxed); }

    // The calculation's side: done of total steps have been looked at (ruled out or stepped), and
    // a stop when one was asked for.
    void Report(int64_t done, int64_t total) {
        total_.store(total, std::memory_order_relaxed);
        done_.store(done, std::memory_order_relaxed);
    }
    void ThrowIfCancelled() const {
        if (CancelRequested()) throw ECalculationCancelled();
    }

    int64_t Done() const { return done_.load(std::memory_order_relaxed); }
    int64_t Total() const { return total_.load(std::memory_order_relaxed); }

private:
    std::atomic<bool> cancel_{false};
    std::atomic<int64_t> done_{0};
    std::atomic<int64_t> total_{0};
};

} // namespace dp
