// OlvexPin as the simulated PC runs it: the real dispatch core, bound to the
// simulated I/O space, a std::mutex for deviceLock and the process heap for
// pool.
#ifndef OLVBUS_SIM_SIM_DRIVER_H
#define OLVBUS_SIM_SIM_DRIVER_H

#include <cstdint>
#include <mutex>

#include "sim/io_space.h"
#include "sys/device_control.h"
#include "sys/driver_state.h"
#include "sys/kernel.h"

namespace olvbus::sim {

class IoSpacePorts final : public olvexpin::PortAccess {
public:
    explicit IoSpacePorts(IoSpace& io) : io_(io) {}
    std::uint8_t ReadByte(std::uint32_t port) override { return io_.InByte(port); }
    std::uint16_t ReadWord(std::uint32_t port) override { return io_.InWord(port); }
    void WriteByte(std::uint32_t port, std::uint8_t value) override { io_.OutByte(port, value); }
    void WriteWord(std::uint32_t port, std::uint16_t value) override { io_.OutWord(port, value); }

private:
    IoSpace& io_;
};

class MutexLock final : public olvexpin::SpinLock {
public:
    void Acquire() override { mutex_.lock(); }
    void Release() override { mutex_.unlock(); }

private:
    std::mutex mutex_;
};

// Counts what is outstanding so tests can prove every block came back.
class HeapPool final : public olvexpin::Pool {
public:
    void* Allocate(std::uint32_t size) override;
    void Free(void* block) override;
    std::int64_t Outstanding() const { return outstanding_; }
    // Makes the next allocations fail, as an exhausted non-paged pool would.
    void FailAllocations(bool fail) { failing_ = fail; }

private:
    std::int64_t outstanding_ = 0;
    bool failing_ = false;
};

class SimDriver {
public:
    explicit SimDriver(IoSpace& io);
    ~SimDriver();
    SimDriver(const SimDriver&) = delete;
    SimDriver& operator=(const SimDriver&) = delete;

    olvexpin::DeviceControlResult DeviceControl(std::uint32_t code, std::uint32_t inputLength,
                                                std::uint32_t outputLength, std::uint8_t* buffer)
    {
        return olvexpin::OlvexPinXADeviceControlCore(context_, code, inputLength, outputLength, buffer);
    }

    // Where the driver's diagnostic messages go; nowhere by default.
    void SetDebugPrint(olvexpin::DebugPrint* log);

    olvexpin::DriverContext& Context() { return context_; }
    HeapPool& Pool() { return pool_; }

private:
    IoSpacePorts ports_;
    MutexLock lock_;
    HeapPool pool_;
    olvexpin::NoDebugPrint silent_;
    olvexpin::DriverContext context_;
};

}  // namespace olvbus::sim

#endif  // OLVBUS_SIM_SIM_DRIVER_H
