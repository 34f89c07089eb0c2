#include "sys/host/host_kernel.h"

#include <cstdlib>

namespace olvexpin::host {

SimulatedClock::SimulatedClock(std::chrono::nanoseconds realPerSecond, int64_t start)
    : now_(start), realPerSecond_(realPerSecond)
{
}

std::chrono::nanoseconds SimulatedClock::RealDuration(int64_t timeUnits) const
{
    return std::chrono::nanoseconds(realPerSecond_.count() * timeUnits / kTimeUnitsPerSecond);
}

// Days since 1 January 1601 to a civil date (the proleptic Gregorian
// calendar, as the kernel counts).
void SimulatedClock::TimeToTimeFields(int64_t time, TimeFields& fields)
{
    const int64_t unitsPerDay = 86400LL * kTimeUnitsPerSecond;
    const int64_t days = time / unitsPerDay;
    const int64_t inDay = time % unitsPerDay;
    const int64_t millisecondsInDay = inDay / 10000;

    // Shift to days since 1 March 0000 and split into 400-year eras.
    const int64_t z = days + 584694;
    const int64_t era = z / 146097;
    const int64_t dayOfEra = z - era * 146097;
    const int64_t yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const int64_t mp = (5 * dayOfYear + 2) / 153;
    const int64_t day = dayOfYear - (153 * mp + 2) / 5 + 1;
    const int64_t month = mp < 10 ? mp + 3 : mp - 9;
    const int64_t year = yearOfEra + era * 400 + (month <= 2 ? 1 : 0);

    fields.year = static_cast<int16_t>(year);
    fields.month = static_cast<int16_t>(month);
    fields.day = static_cast<int16_t>(day);
    fields.hour = static_cast<int16_t>(millisecondsInDay / 3600000);
    fields.minute = static_cast<int16_t>(millisecondsInDay / 60000 % 60);
    fields.second = static_cast<int16_t>(millisecondsInDay / 1000 % 60);
    fields.milliseconds = static_cast<int16_t>(millisecondsInDay % 1000);
    fields.weekday = static_cast<int16_t>((days + 1) % 7);  // 1 January 1601 was a Monday
}

void HostEvent::Initialize()
{
    std::lock_guard<std::mutex> hold(mutex_);
    signalled_ = false;
}

void HostEvent::Set()
{
    {
        std::lock_guard<std::mutex> hold(mutex_);
        signalled_ = true;
    }
    changed_.notify_one();
}

void HostEvent::Wait()
{
    std::unique_lock<std::mutex> hold(mutex_);
    changed_.wait(hold, [this] { return signalled_; });
    signalled_ = false;
}

bool HostEvent::WaitFor(int64_t timeUnits)
{
    std::unique_lock<std::mutex> hold(mutex_);
    if (changed_.wait_for(hold, clock_.RealDuration(timeUnits), [this] { return signalled_; })) {
        signalled_ = false;
        return true;
    }
    hold.unlock();
    clock_.Advance(timeUnits);
    timedOut_.fetch_add(1);
    return false;
}

void HostList::Initialize()
{
    std::lock_guard<std::mutex> hold(lock_);
    head_.next = &head_;
    head_.previous = &head_;
}

void HostList::InsertTail(ListEntry* entry)
{
    std::lock_guard<std::mutex> hold(lock_);
    entry->next = &head_;
    entry->previous = head_.previous;
    head_.previous->next = entry;
    head_.previous = entry;
}

ListEntry* HostList::RemoveHead()
{
    std::lock_guard<std::mutex> hold(lock_);
    ListEntry* entry = head_.next;
    if (entry == &head_) {
        return nullptr;
    }
    head_.next = entry->next;
    entry->next->previous = &head_;
    return entry;
}

size_t HostList::Count()
{
    std::lock_guard<std::mutex> hold(lock_);
    size_t count = 0;
    for (ListEntry* e = head_.next; e != &head_; e = e->next) {
        ++count;
    }
    return count;
}

void* HostPool::Allocate(uint32_t size)
{
    if (refuseAll_.load() || size > largestAllowed_.load()) {
        return nullptr;
    }
    if (refuseNext_.load() > 0 && refuseNext_.fetch_sub(1) > 0) {
        return nullptr;
    }
    void* block = std::malloc(size == 0 ? 1 : size);
    if (block != nullptr) {
        live_.fetch_add(1);
        allocations_.fetch_add(1);
    }
    return block;
}

void HostPool::Free(void* block)
{
    live_.fetch_sub(1);
    std::free(block);
}

HostThreads::~HostThreads() { JoinAll(); }

void HostThreads::JoinAll()
{
    std::vector<std::thread> threads;
    {
        std::lock_guard<std::mutex> hold(mutex_);
        threads.swap(threads_);
    }
    for (std::thread& t : threads) {
        t.join();
    }
}

// A handle is the address of a counter the test never sees; the object is
// the same address. Only the counts matter to the tests.
bool HostThreads::Create(Routine routine, void* context, void** handle)
{
    if (failCreate_) {
        return false;
    }
    std::lock_guard<std::mutex> hold(mutex_);
    threads_.emplace_back(routine, context);
    handles_.fetch_add(1);
    *handle = this;
    return true;
}

bool HostThreads::Reference(void* handle, void** object)
{
    if (failReference_ || handle != this) {
        return false;
    }
    references_.fetch_add(1);
    *object = this;
    return true;
}

void HostThreads::CloseHandle(void*) { handles_.fetch_sub(1); }

void HostThreads::Dereference(void*) { references_.fetch_sub(1); }

}  // namespace olvexpin::host
