// The driver's seam: the few kernel and HAL primitives that OlvexPin's logic
// needs, as small interfaces. The WDM binding maps each one onto the routine
// of the same meaning (READ_PORT_UCHAR, KfAcquireSpinLock, ExAllocatePoolWithTag
// with tag "Wdm ", ...); the host binding maps them onto the simulated PC and
// std::thread, so every path of the driver runs in a test.
//
// Everything that includes this file is compiled into the kernel as well:
// freestanding C++, no exceptions, no RTTI, no library containers, no
// new/delete, no static constructors.
#ifndef OLVEXPIN_KERNEL_H
#define OLVEXPIN_KERNEL_H

#include <stdarg.h>
#include <stdint.h>

namespace olvexpin {

// The platform's counted 16-bit string (UNICODE_STRING): lengths in bytes,
// the characters not necessarily zero-terminated. Same layout, so the kernel
// binding hands its strings over by pointer.
struct CountedText16 {
    uint16_t length;
    uint16_t maximumLength;
    uint16_t* buffer;
};

// One bus access each, in program order; none can fail. Port addresses are
// handed over as computed (0x378 + a 16-bit offset can exceed 0xFFFF).
class PortAccess {
public:
    virtual uint8_t ReadByte(uint32_t port) = 0;
    virtual uint16_t ReadWord(uint32_t port) = 0;
    virtual void WriteByte(uint32_t port, uint8_t value) = 0;
    virtual void WriteWord(uint32_t port, uint16_t value) = 0;

protected:
    ~PortAccess() = default;
};

// The driver's one spin lock. In the kernel the holder runs at dispatch
// level, so nothing done while it is held may page or wait.
class SpinLock {
public:
    // KeInitializeSpinLock; most bindings are ready at construction.
    virtual void Initialize() {}
    virtual void Acquire() = 0;
    virtual void Release() = 0;

protected:
    ~SpinLock() = default;
};

// Non-paged pool with the driver's tag. Allocate returns null when the pool
// is exhausted; callers must cope.
class Pool {
public:
    virtual void* Allocate(uint32_t size) = 0;
    virtual void Free(void* block) = 0;

protected:
    ~Pool() = default;
};

// Where the driver's diagnostic messages go. Both calls may be made at
// dispatch level with the spin lock held: an implementation must neither
// wait nor do file I/O.
class DebugPrint {
public:
    virtual void Text(const char* text) = 0;
    virtual void FormatV(const char* format, va_list arguments) = 0;

    void Format(const char* format, ...)
    {
        va_list arguments;
        va_start(arguments, format);
        FormatV(format, arguments);
        va_end(arguments);
    }

protected:
    ~DebugPrint() = default;
};

// A lock that does nothing, and a message sink that drops everything: for a
// core that runs where nothing can race with it or nobody listens.
class NoLock final : public SpinLock {
public:
    void Acquire() override {}
    void Release() override {}
};

class NoDebugPrint final : public DebugPrint {
public:
    void Text(const char*) override {}
    void FormatV(const char*, va_list) override {}
};

}  // namespace olvexpin

#endif  // OLVEXPIN_KERNEL_H
