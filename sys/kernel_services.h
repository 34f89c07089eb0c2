// The kernel services the debug-print client is written against: time,
// events, one system thread, a list under a spin lock, and the outside
// debug-print device. Each primitive maps onto one kernel routine, named
// beside it; the host binding (sys/host/) maps them onto std::thread and a
// simulated clock.
//
// Compiled into the kernel: freestanding C++ (see sys/kernel.h).
#ifndef OLVEXPIN_KERNEL_SERVICES_H
#define OLVEXPIN_KERNEL_SERVICES_H

#include <stdint.h>

#include "sys/kernel.h"

namespace olvexpin {

// The platform's TIME_FIELDS, in its field order.
struct TimeFields {
    int16_t year;
    int16_t month;         // 1 to 12
    int16_t day;
    int16_t hour;
    int16_t minute;
    int16_t second;
    int16_t milliseconds;
    int16_t weekday;       // 0 = Sunday
};

// Time is counted in 100-nanosecond units since 1 January 1601, UTC.
inline constexpr int64_t kTimeUnitsPerSecond = 10000000;

class Clock {
public:
    virtual int64_t QuerySystemTime() = 0;                             // KeQuerySystemTime
    virtual void TimeToTimeFields(int64_t time, TimeFields& fields) = 0;  // RtlTimeToTimeFields

protected:
    ~Clock() = default;
};

// A synchronization (auto-reset) event: a wait that sees it signalled
// consumes the signal.
class Event {
public:
    virtual void Initialize() = 0;  // KeInitializeEvent(SynchronizationEvent, not signalled)
    virtual void Set() = 0;         // KeSetEvent(event, 0, FALSE)
    virtual void Wait() = 0;        // KeWaitForSingleObject, no time-out
    // KeWaitForSingleObject with a relative time-out; false when it timed out.
    virtual bool WaitFor(int64_t timeUnits) = 0;

protected:
    ~Event() = default;
};

// The platform's LIST_ENTRY, in its field order.
struct ListEntry {
    ListEntry* next;
    ListEntry* previous;
};

// A list head and the spin lock that guards it.
class InterlockedList {
public:
    virtual void Initialize() = 0;                  // InitializeListHead, KeInitializeSpinLock
    virtual void InsertTail(ListEntry* entry) = 0;  // ExfInterlockedInsertTailList
    virtual ListEntry* RemoveHead() = 0;            // ExfInterlockedRemoveHeadList; null when empty

protected:
    ~InterlockedList() = default;
};

// System threads and the object manager's hold on them. Handles and objects
// are opaque to the client.
class SystemThreads {
public:
    using Routine = void (*)(void* context);

    // PsCreateSystemThread(THREAD_ALL_ACCESS, in the system process).
    virtual bool Create(Routine routine, void* context, void** handle) = 0;
    // ObReferenceObjectByHandle(THREAD_ALL_ACCESS, no type, KernelMode).
    virtual bool Reference(void* handle, void** object) = 0;
    virtual void CloseHandle(void* handle) = 0;    // ZwClose
    virtual void Dereference(void* object) = 0;    // ObfDereferenceObject
    // KeSetPriorityThread(KeGetCurrentThread(), priority).
    virtual void SetCurrentPriority(int32_t priority) = 0;
    // KeDelayExecutionThread for a moment: lets a preempted thread finish.
    virtual void Pause() = 0;
    // PsTerminateSystemThread. Does not return in the kernel; on the host the
    // thread routine returns right after it.
    virtual void TerminateCurrent(uint32_t status) = 0;

protected:
    ~SystemThreads() = default;
};

// The parameters of ZwCreateFile, so a substitute device can check them.
struct DeviceOpenParameters {
    const char* name;
    uint32_t desiredAccess;
    uint32_t objectAttributes;
    uint32_t fileAttributes;
    uint32_t shareAccess;
    uint32_t createDisposition;
    uint32_t createOptions;
};

// The outside debug-print device.
class DebugPrintDevice {
public:
    // ZwCreateFile; a status and, on success, a handle.
    virtual uint32_t Open(const DeviceOpenParameters& parameters, void** handle) = 0;
    // ZwWriteFile at byte offset 0, synchronous; the device has taken the
    // bytes when it returns. The result is of no interest to the client.
    virtual void Write(void* handle, const void* bytes, uint32_t length) = 0;
    virtual void Close(void* handle) = 0;  // ZwClose

protected:
    ~DebugPrintDevice() = default;
};

// Everything one debug-print client needs, bound once at load. The events and
// the list are storage the binding owns (a KEVENT, a LIST_ENTRY and a
// KSPIN_LOCK in the kernel).
struct DebugPrintServices {
    Clock* clock;
    Pool* pool;
    SystemThreads* threads;
    DebugPrintDevice* device;
    Event* wakeEvent;
    Event* writerExitedEvent;
    InterlockedList* pendingMessages;
};

inline bool IsSuccess(uint32_t status) { return static_cast<int32_t>(status) >= 0; }

}  // namespace olvexpin

#endif  // OLVEXPIN_KERNEL_SERVICES_H
