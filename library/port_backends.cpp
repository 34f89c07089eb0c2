#include "library/port_backends.h"

#include "common/olvexpin_contract.h"

namespace olvbus {
namespace {

std::uint8_t LowByte(std::int32_t value) { return static_cast<std::uint8_t>(value & 0xFF); }
std::uint16_t Low16(std::int32_t value) { return static_cast<std::uint16_t>(value & 0xFFFF); }

}  // namespace

ByteRead PortBackEnds::ReadThroughDriver(std::uint32_t code, const std::uint8_t* input,
                                         std::uint32_t inputLength)
{
    std::uint8_t reply = 0;
    std::uint32_t returned = 0;
    if (!platform_.DeviceIoControl(state_.driverHandle, code, input, inputLength, &reply, 1, &returned)) {
        return {Access::kRequestFailed, 0};
    }
    return {Access::kDone, reply};
}

Access PortBackEnds::WriteThroughDriver(std::uint32_t code, const std::uint8_t* input,
                                        std::uint32_t inputLength)
{
    std::uint32_t returned = 0;
    return platform_.DeviceIoControl(state_.driverHandle, code, input, inputLength, nullptr, 0, &returned)
               ? Access::kDone
               : Access::kRequestFailed;
}

// The driver adds the offset to its own fixed base and the library sends only
// the offset's low byte; the direct back end adds the low 16 bits to portBase.
ByteRead PortBackEnds::ReadRegisterAt(std::int32_t offset)
{
    std::uint8_t input[2];
    OlvexPinPutU16(input, LowByte(offset));
    return Read(IOCTL_OLVEXPINXA_GET_REGISTER, input, sizeof input,
                static_cast<std::uint16_t>(state_.portBase + Low16(offset)));
}

Access PortBackEnds::WriteRegisterAt(std::int32_t offset, std::int32_t value)
{
    std::uint8_t input[3];
    OlvexPinPutU16(input + OLVEXPIN_REGISTER_OFFSET_AT, LowByte(offset));
    input[OLVEXPIN_REGISTER_VALUE_AT] = LowByte(value);
    return Write(IOCTL_OLVEXPINXA_SET_REGISTER, input, sizeof input,
                 static_cast<std::uint16_t>(state_.portBase + Low16(offset)), LowByte(value));
}

ByteRead PortBackEnds::ReadIoPort(std::int32_t port)
{
    std::uint8_t input[2];
    OlvexPinPutU16(input, Low16(port));
    return Read(IOCTL_OLVEXPINXA_PEEK, input, sizeof input, Low16(port));
}

Access PortBackEnds::WriteIoPort(std::int32_t port, std::int32_t value)
{
    std::uint8_t input[3];
    OlvexPinPutU16(input + OLVEXPIN_PORT_NUMBER_AT, Low16(port));
    input[OLVEXPIN_POKE_VALUE_AT] = LowByte(value);
    return Write(IOCTL_OLVEXPINXA_POKE, input, sizeof input, Low16(port), LowByte(value));
}

void PortBackEnds::ShowRequestFailure(const char* text)
{
    platform_.MessageBox(text, kMessageBoxCaption);
}

const char* PortBackEnds::StatusAfterFailure(Access access, const char* requestFailedBox)
{
    if (access == Access::kRequestFailed) {
        ShowRequestFailure(requestFailedBox);
        return kRequestFailedStatus;
    }
    return kNoDriverStatus;
}

}  // namespace olvbus
