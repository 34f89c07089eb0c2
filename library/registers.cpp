// The data, status and control registers, the data-enable switch and its mask.
#include <cstdint>

#include "library/library.h"

namespace olvbus {
namespace {

constexpr const char kPortNotOpen[] = "(failed: port not open.)";
constexpr const char kDataDriversDisabled[] = "(data drivers disabled)";

}  // namespace

std::int32_t Library::Get_Data()
{
    if (state_.traceOn) {
        state_.traceText.AppendFormat("\n%s()", "Get_Data");
    }
    std::int32_t result = 0;
    const char* status = "";
    if (!PortOpen()) {
        status = kPortNotOpen;
    } else if (state_.dataEnable != 0) {
        // The PC drives the lines, so they carry what was last written.
        result = state_.dataShadow;
        status = kDataDriversDisabled;
    } else {
        const ByteRead read = ports_.ReadDataRegister();
        status = ports_.StatusAfter(read.access, "OLVEXPIN_DEVICEIO_GET_DATA failed.");
        if (read.access == Access::kDone) {
            result = read.value;
        }
    }
    if (state_.traceOn) {
        state_.traceText.AppendFormat("=%d %s", result, status);
    }
    return result;
}

void Library::Set_Data(std::int32_t value)
{
    if (state_.traceOn) {
        state_.traceText.AppendFormat("\n%s(%d)", "Set_Data", value);
    }
    const char* status = "";
    if (!PortOpen()) {
        status = kPortNotOpen;
    } else {
        // Written whatever dataEnable says: with the drivers off the byte
        // still reaches the output latch.
        const Access access = ports_.WriteDataRegister(value);
        status = ports_.StatusAfter(access, "OLVEXPIN_DEVICEIO_SET_DATA failed.");
        if (access == Access::kDone) {
            state_.dataShadow = static_cast<std::uint8_t>(value & 0xFF);
        }
    }
    if (state_.traceOn) {
        state_.traceText.Append(status);
    }
}

std::int32_t Library::Get_Data_Enable() const
{
    return state_.dataEnable;
}

void Library::Set_Data_Enable(std::int32_t enable)
{
    if (state_.traceOn) {
        state_.traceText.AppendFormat("\n%s(%d)", "Set_Data_Enable", enable);
    }
    state_.dataEnable = enable;
    // Computed on 32 bits: a mask with bits above bit 7 can pass more than a
    // byte, of which Set_Control writes the low 8 bits.
    const std::int32_t control = state_.controlShadow;
    Set_Control(enable != 0 ? (control & ~state_.dataEnableMask) : (control | state_.dataEnableMask));
}

std::int32_t Library::Get_Data_Enable_Mask() const
{
    return state_.dataEnableMask;
}

void Library::Set_Data_Enable_Mask(std::int32_t mask)
{
    if (state_.traceOn) {
        state_.traceText.AppendFormat("\n%s(%d)", "Set_Data_Enable_Mask", mask);
    }
    state_.dataEnableMask = mask;
}

std::int32_t Library::Get_Status()
{
    if (state_.traceOn) {
        state_.traceText.AppendFormat("\n%s()", "Get_Status");
    }
    if (!PortOpen()) {
        return 0;
    }
    // Get_Status has no status text: a read that did not happen reads as 0.
    const ByteRead read = ports_.ReadStatusRegister();
    ports_.StatusAfter(read.access, "OLVEXPIN_DEVICEIO_GET_STATUS failed.");
    const std::int32_t result = read.access == Access::kDone ? read.value : 0;
    if (state_.traceOn) {
        state_.traceText.AppendFormat("=%d", result);
    }
    return result;
}

std::int32_t Library::Get_Control() const
{
    return state_.controlShadow;
}

void Library::Set_Control(std::int32_t value)
{
    if (state_.traceOn) {
        state_.traceText.AppendFormat("\n%s(%d)", "Set_Control", value);
    }
    if (!PortOpen()) {
        return;
    }
    // The shadow follows the register: after a failed request it keeps the
    // byte the register still holds.
    const Access access = ports_.WriteControlRegister(value);
    ports_.StatusAfter(access, "OLVEXPIN_DEVICEIO_SET_CONTROL failed.");
    if (access == Access::kDone) {
        state_.controlShadow = static_cast<std::uint8_t>(value & 0xFF);
    }
}

}  // namespace olvbus
