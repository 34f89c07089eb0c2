// OlvexPin as the simulated PC runs it: the real dispatch core, bound to the
// simulated I/O space, with the driver's host binding for deviceLock and pool.
#ifndef OLVBUS_SIM_SIM_DRIVER_H
#define OLVBUS_SIM_SIM_DRIVER_H

#include <cstdint>

#include "sim/io_space.h"
#include "sys/device_control.h"
#include "sys/driver_state.h"
#include "sys/host/host_kernel.h"
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
    olvexpin::host::HostPool& Pool() { return pool_; }

private:
    IoSpacePorts ports_;
    olvexpin::host::HostSpinLock lock_;
    olvexpin::host::HostPool pool_;
    olvexpin::NoDebugPrint silent_;
    olvexpin::DriverContext context_;
};

}  // namespace olvbus::sim

#endif  // OLVBUS_SIM_SIM_DRIVER_H
