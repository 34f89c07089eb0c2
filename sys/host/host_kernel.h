// The host binding of the driver's kernel services: std::thread, std::mutex
// and a simulated clock. Timed waits run faster than real time by a chosen
// factor and move the simulated clock on by the full time-out, so a writer
// that gives up after five minutes of failed opens does so in well under a
// second of a test.
#ifndef OLVEXPIN_HOST_KERNEL_H
#define OLVEXPIN_HOST_KERNEL_H

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>
#include <vector>

#include "sys/kernel.h"
#include "sys/kernel_services.h"

namespace olvexpin::host {

// 30 June 2002, 18:23:43 UTC: a fixed start, so records are reproducible.
inline constexpr int64_t kDefaultStartTime = 126699350230000000LL;

class SimulatedClock final : public Clock {
public:
    // One simulated second of a timed wait takes this long in real time.
    explicit SimulatedClock(std::chrono::nanoseconds realPerSecond = std::chrono::microseconds(200),
                            int64_t start = kDefaultStartTime);

    int64_t QuerySystemTime() override { return now_.load(std::memory_order_relaxed); }
    void TimeToTimeFields(int64_t time, TimeFields& fields) override;

    void Advance(int64_t timeUnits) { now_.fetch_add(timeUnits, std::memory_order_relaxed); }
    void Set(int64_t time) { now_.store(time, std::memory_order_relaxed); }
    std::chrono::nanoseconds RealDuration(int64_t timeUnits) const;

private:
    std::atomic<int64_t> now_;
    std::chrono::nanoseconds realPerSecond_;
};

class HostEvent final : public Event {
public:
    explicit HostEvent(SimulatedClock& clock) : clock_(clock) {}

    void Initialize() override;
    void Set() override;
    void Wait() override;
    bool WaitFor(int64_t timeUnits) override;

    uint64_t TimedOutWaits() const { return timedOut_.load(); }

private:
    SimulatedClock& clock_;
    std::mutex mutex_;
    std::condition_variable changed_;
    bool signalled_ = false;
    std::atomic<uint64_t> timedOut_{0};
};

class HostList final : public InterlockedList {
public:
    HostList() { Initialize(); }

    void Initialize() override;
    void InsertTail(ListEntry* entry) override;
    ListEntry* RemoveHead() override;

    size_t Count();

private:
    std::mutex lock_;
    ListEntry head_{};
};

// Non-paged pool: counts what is live and can be told to refuse.
class HostPool final : public Pool {
public:
    void* Allocate(uint32_t size) override;
    void Free(void* block) override;

    int64_t LiveBlocks() const { return live_.load(); }
    uint64_t Allocations() const { return allocations_.load(); }
    void RefuseAll(bool refuse) { refuseAll_.store(refuse); }
    void RefuseNext(int count) { refuseNext_.store(count); }
    void RefuseLargerThan(uint32_t size) { largestAllowed_.store(size); }

private:
    std::atomic<int64_t> live_{0};
    std::atomic<uint64_t> allocations_{0};
    std::atomic<bool> refuseAll_{false};
    std::atomic<int> refuseNext_{0};
    std::atomic<uint32_t> largestAllowed_{UINT32_MAX};
};

// System threads: each handle and each reference is counted, so a test can
// see that the client released what it took. Every thread is joined when the
// binding goes away.
class HostThreads final : public SystemThreads {
public:
    ~HostThreads();

    bool Create(Routine routine, void* context, void** handle) override;
    bool Reference(void* handle, void** object) override;
    void CloseHandle(void* handle) override;
    void Dereference(void* object) override;
    void SetCurrentPriority(int32_t priority) override { lastPriority_.store(priority); }
    void Pause() override { std::this_thread::yield(); }
    void TerminateCurrent(uint32_t) override { terminated_.fetch_add(1); }

    void FailCreate(bool fail) { failCreate_ = fail; }
    void FailReference(bool fail) { failReference_ = fail; }
    int OpenHandles() const { return handles_.load(); }
    int References() const { return references_.load(); }
    int Terminated() const { return terminated_.load(); }
    int32_t LastPriority() const { return lastPriority_.load(); }
    void JoinAll();

private:
    std::mutex mutex_;
    std::vector<std::thread> threads_;
    std::atomic<int> handles_{0};
    std::atomic<int> references_{0};
    std::atomic<int> terminated_{0};
    std::atomic<int32_t> lastPriority_{0};
    bool failCreate_ = false;
    bool failReference_ = false;
};

// The driver's spin lock on the host.
class HostSpinLock final : public SpinLock {
public:
    void Acquire() override { mutex_.lock(); }
    void Release() override { mutex_.unlock(); }

private:
    std::mutex mutex_;
};

}  // namespace olvexpin::host

#endif  // OLVEXPIN_HOST_KERNEL_H
