// Registers at any offset from the selected port's base, and any I/O port.
// None of these touch the data or control shadows.
#include <cstdint>

#include "library/library.h"

namespace olvbus {
namespace {

// What Peek has always returned for a failed request; applications test for it.
constexpr std::int32_t kPeekRequestFailed = 77;

}  // namespace

// A failed request shows its box and reads as 0; on the NT family before a
// driver handle exists nothing is attempted and the result is 0 as well.
std::int32_t Library::Get_Register(std::int32_t offset)
{
    if (state_.traceOn) {
        state_.traceText.AppendFormat("\n%s(%d)", "Get_Register", offset);
    }
    if (!PortOpen()) {
        return 0;
    }
    const ByteRead read = ports_.ReadRegisterAt(offset);
    ports_.StatusAfter(read.access, "OLVEXPIN_DEVICEIO_GET_REGISTER failed.");
    const std::int32_t result = read.access == Access::kDone ? read.value : 0;
    if (state_.traceOn) {
        state_.traceText.AppendFormat("=%d", result);
    }
    return result;
}

void Library::Set_Register(std::int32_t offset, std::int32_t value)
{
    if (state_.traceOn) {
        state_.traceText.AppendFormat("\n%s(%d,%d)", "Set_Register", offset, value);
    }
    if (!PortOpen()) {
        return;
    }
    ports_.StatusAfter(ports_.WriteRegisterAt(offset, value), "OLVEXPIN_DEVICEIO_SET_REGISTER failed.");
}

// Peek and Poke need no selected port; on the NT family they open the driver
// themselves, and keep it open for every later register access.
std::int32_t Library::Peek(std::int32_t port)
{
    if (state_.traceOn) {
        state_.traceText.AppendFormat("\n%s(0x%4.4X)", "Peek", static_cast<unsigned>(port));
    }
    std::int32_t result = 0;
    const char* status = "";
    if (IsNtFamily(state_) && state_.driverHandle == kInvalidHandle && !OpenRequiredDriver()) {
        status = kNoDriverStatus;
    } else {
        const ByteRead read = ports_.ReadIoPort(port);
        if (read.access == Access::kDone) {
            result = read.value;
        } else {
            ports_.ShowRequestFailure("Peek IOCTL_OLVEXPINXA_PEEK failed.");
            result = kPeekRequestFailed;
            status = kRequestFailedStatus;
        }
    }
    if (state_.traceOn) {
        state_.traceText.AppendFormat("=0x%2.2X %s", static_cast<unsigned>(result), status);
    }
    return result;
}

void Library::Poke(std::int32_t port, std::int32_t value)
{
    if (state_.traceOn) {
        state_.traceText.AppendFormat("\n%s(0x%4.4X,0x%2.2X)", "Poke", static_cast<unsigned>(port),
                                      static_cast<unsigned>(value));
    }
    const char* status = "";
    if (IsNtFamily(state_) && state_.driverHandle == kInvalidHandle && !OpenRequiredDriver()) {
        status = kNoDriverStatus;
    } else if (ports_.WriteIoPort(port, value) != Access::kDone) {
        ports_.ShowRequestFailure("Poke IOCTL_OLVEXPINXA_POKE failed.");
        status = kRequestFailedStatus;
    }
    if (state_.traceOn) {
        state_.traceText.Append(status);
    }
}

}  // namespace olvbus
