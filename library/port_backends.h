// The two ways olvbus reaches the port: the processor's port instructions
// (direct back end, Windows 9x family) or one buffered device control request
// to OlvexPin per access (driver back end). Each access picks its back end
// from driverHandle at the moment it runs.
#ifndef OLVBUS_PORT_BACKENDS_H
#define OLVBUS_PORT_BACKENDS_H

#include <cstdint>

#include "library/library_state.h"
#include "library/platform.h"

namespace olvbus {

enum class Access {
    kDone,
    // The driver request was sent and failed; no port instruction follows.
    kRequestFailed,
    // NT family without a driver handle: user mode may not execute port
    // instructions there, so nothing was attempted.
    kNoBackEnd,
};

struct ByteRead {
    Access access;
    std::uint8_t value;  // meaningful only when access is kDone
};

class PortBackEnds {
public:
    PortBackEnds(Platform& platform, LibraryState& state) : platform_(platform), state_(state) {}

    ByteRead ReadDataRegister();
    Access WriteDataRegister(std::int32_t value);
    ByteRead ReadStatusRegister();
    Access WriteControlRegister(std::int32_t value);
    ByteRead ReadRegisterAt(std::int32_t offset);
    Access WriteRegisterAt(std::int32_t offset, std::int32_t value);
    ByteRead ReadIoPort(std::int32_t port);
    Access WriteIoPort(std::int32_t port, std::int32_t value);

    // The modal box for a failed driver request; returns once dismissed.
    void ShowRequestFailure(const char* text);

private:
    ByteRead Read(std::uint32_t code, const std::uint8_t* input, std::uint32_t inputLength,
                  std::uint16_t directPort);
    Access Write(std::uint32_t code, const std::uint8_t* input, std::uint32_t inputLength,
                 std::uint16_t directPort, std::uint8_t value);

    Platform& platform_;
    LibraryState& state_;
};

inline constexpr const char* kMessageBoxCaption = "Olvex olvbus.dll";

}  // namespace olvbus

#endif  // OLVBUS_PORT_BACKENDS_H
