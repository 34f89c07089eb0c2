#include "library/port_backends.h"

#include "common/olvexpin_contract.h"

namespace olvbus {
namespace {

// The selected port's registers, as offsets from portBase.
constexpr std::uint16_t kDataOffset = 0;
constexpr std::uint16_t kStatusOffset = 1;
constexpr std::uint16_t kControlOffset = 2;

std::uint8_t LowByte(std::int32_t value) { return static_cast<std::uint8_t>(value & 0xFF); }
std::uint16_t Low16(std::int32_t value) { return static_cast<std::uint16_t>(value & 0xFFFF); }

}  // namespace

ByteRead PortBackEnds::Read(std::uint32_t code, const std::uint8_t* input,
                            std::uint32_t inputLength, std::uint16_t directPort)
{
    if (state_.driverHandle != kInvalidHandle) {
        std::uint8_t reply = 0;
        std::uint32_t returned = 0;
        if (!platform_.DeviceIoControl(state_.driverHandle, code, input, inputLength, &reply, 1,
                                       &returned)) {
            return {Access::kRequestFailed, 0};
        }
        return {Access::kDone, reply};
    }
    if (IsNtFamily(state_)) {
        return {Access::kNoBackEnd, 0};
    }
    return {Access::kDone, platform_.InByte(directPort)};
}

Access PortBackEnds::Write(std::uint32_t code, const std::uint8_t* input,
                           std::uint32_t inputLength, std::uint16_t directPort,
                           std::uint8_t value)
{
    if (state_.driverHandle != kInvalidHandle) {
        std::uint32_t returned = 0;
        return platform_.DeviceIoControl(state_.driverHandle, code, input, inputLength, nullptr, 0,
                                         &returned)
                   ? Access::kDone
                   : Access::kRequestFailed;
    }
    if (IsNtFamily(state_)) {
        return Access::kNoBackEnd;
    }
    platform_.OutByte(directPort, value);
    return Access::kDone;
}

ByteRead PortBackEnds::ReadDataRegister()
{
    return Read(IOCTL_OLVEXPINXA_DATA, nullptr, 0,
                static_cast<std::uint16_t>(state_.portBase + kDataOffset));
}

Access PortBackEnds::WriteDataRegister(std::int32_t value)
{
    const std::uint8_t byte = LowByte(value);
    return Write(IOCTL_OLVEXPINXA_DATA, &byte, 1,
                 static_cast<std::uint16_t>(state_.portBase + kDataOffset), byte);
}

ByteRead PortBackEnds::ReadStatusRegister()
{
    return Read(IOCTL_OLVEXPINXA_STATUS, nullptr, 0,
                static_cast<std::uint16_t>(state_.portBase + kStatusOffset));
}

Access PortBackEnds::WriteControlRegister(std::int32_t value)
{
    const std::uint8_t byte = LowByte(value);
    return Write(IOCTL_OLVEXPINXA_CONTROL, &byte, 1,
                 static_cast<std::uint16_t>(state_.portBase + kControlOffset), byte);
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

}  // namespace olvbus
