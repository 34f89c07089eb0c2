// The two ways olvbus reaches the port: the processor's port instructions
// (direct back end, Windows 9x family) or one buffered device control request
// to OlvexPin per access (driver back end). Each access picks its back end
// from driverHandle at the moment it runs.
#ifndef OLVBUS_PORT_BACKENDS_H
#define OLVBUS_PORT_BACKENDS_H

#include <cstdint>

#include "common/olvexpin_contract.h"
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

inline constexpr std::uint32_t kDataRequest = IOCTL_OLVEXPINXA_DATA;
inline constexpr std::uint32_t kStatusRequest = IOCTL_OLVEXPINXA_STATUS;
inline constexpr std::uint32_t kControlRequest = IOCTL_OLVEXPINXA_CONTROL;

class PortBackEnds {
public:
    // The selected port's registers, as offsets from portBase.
    static constexpr std::uint16_t kDataOffset = 0;
    static constexpr std::uint16_t kStatusOffset = 1;
    static constexpr std::uint16_t kControlOffset = 2;

    PortBackEnds(Platform& platform, LibraryState& state) : platform_(platform), state_(state) {}

    ByteRead ReadDataRegister()
    {
        return Read(kDataRequest, nullptr, 0, static_cast<std::uint16_t>(state_.portBase + kDataOffset));
    }
    Access WriteDataRegister(std::int32_t value)
    {
        const auto byte = static_cast<std::uint8_t>(value & 0xFF);
        return Write(kDataRequest, &byte, 1, static_cast<std::uint16_t>(state_.portBase + kDataOffset), byte);
    }
    ByteRead ReadStatusRegister()
    {
        return Read(kStatusRequest, nullptr, 0, static_cast<std::uint16_t>(state_.portBase + kStatusOffset));
    }
    Access WriteControlRegister(std::int32_t value)
    {
        const auto byte = static_cast<std::uint8_t>(value & 0xFF);
        return Write(kControlRequest, &byte, 1, static_cast<std::uint16_t>(state_.portBase + kControlOffset),
                     byte);
    }
    ByteRead ReadRegisterAt(std::int32_t offset);
    Access WriteRegisterAt(std::int32_t offset, std::int32_t value);
    ByteRead ReadIoPort(std::int32_t port);
    Access WriteIoPort(std::int32_t port, std::int32_t value);

    // The modal box for a failed driver request; returns once dismissed.
    void ShowRequestFailure(const char* text);

    // The status text an export traces for an access: empty when it was
    // done; after a failed request, once its box is dismissed,
    // kRequestFailedStatus; on the NT family without a driver handle,
    // kNoDriverStatus (nothing was attempted, so no box).
    const char* StatusAfter(Access access, const char* requestFailedBox)
    {
        return access == Access::kDone ? "" : StatusAfterFailure(access, requestFailedBox);
    }

private:
    // Every access goes through one of these two; they stay in the header so
    // that an export costs no more calls than the access it makes.
    ByteRead Read(std::uint32_t code, const std::uint8_t* input, std::uint32_t inputLength,
                  std::uint16_t directPort)
    {
        if (state_.driverHandle != kInvalidHandle) {
            return ReadThroughDriver(code, input, inputLength);
        }
        if (IsNtFamily(state_)) {
            return {Access::kNoBackEnd, 0};
        }
        return {Access::kDone, platform_.InByte(directPort)};
    }

    Access Write(std::uint32_t code, const std::uint8_t* input, std::uint32_t inputLength,
                 std::uint16_t directPort, std::uint8_t value)
    {
        if (state_.driverHandle != kInvalidHandle) {
            return WriteThroughDriver(code, input, inputLength);
        }
        if (IsNtFamily(state_)) {
            return Access::kNoBackEnd;
        }
        platform_.OutByte(directPort, value);
        return Access::kDone;
    }

    const char* StatusAfterFailure(Access access, const char* requestFailedBox);
    ByteRead ReadThroughDriver(std::uint32_t code, const std::uint8_t* input, std::uint32_t inputLength);
    Access WriteThroughDriver(std::uint32_t code, const std::uint8_t* input, std::uint32_t inputLength);

    Platform& platform_;
    LibraryState& state_;
};

inline constexpr const char* kMessageBoxCaption = "Olvex olvbus.dll";
inline constexpr const char* kRequestFailedStatus = "(failed: DeviceIoControl)";
inline constexpr const char* kNoDriverStatus = "(failed: no OlvexPIN.sys)";

}  // namespace olvbus

#endif  // OLVBUS_PORT_BACKENDS_H
