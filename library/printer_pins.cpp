// Connector pins by number and electrical level. The pin exports call the
// register exports as an application would, so their checks, failure boxes
// and trace entries appear in between.
#include <cstdint>

#include "library/connector_pins.h"
#include "library/library.h"

namespace olvbus {
namespace {

constexpr const char kOutOfRange[] = "(failed: pin out of range)";
constexpr const char kReadOnly[] = "(failed: read-only pin)";

std::uint8_t WithBit(std::uint8_t value, std::uint8_t bit, bool set)
{
    return static_cast<std::uint8_t>(set ? (value | bit) : (value & ~bit));
}

}  // namespace

void Library::DirectWritePrinterPin(std::int32_t pin, std::int32_t level)
{
    if (state_.traceOn) {
        state_.traceText.AppendFormat("\n%s(%d,%d)", "DirectWritePrinterPin", pin, level);
    }
    const char* status = "";
    const ConnectorPin* found = FindConnectorPin(pin);
    if (found == nullptr) {
        status = kOutOfRange;
    } else if (found->reg == PinRegister::kStatus) {
        status = kReadOnly;
    } else {
        const bool setBit = (level != 0) != found->inverted;
        // The shadow takes the new bit before the write and keeps it even if
        // the write does not happen.
        if (found->reg == PinRegister::kData) {
            if (state_.dataEnable == 0) {
                Set_Data_Enable(1);
            }
            state_.dataShadow = WithBit(state_.dataShadow, found->bit, setBit);
            Set_Data(state_.dataShadow);
        } else {
            state_.controlShadow = WithBit(state_.controlShadow, found->bit, setBit);
            Set_Control(state_.controlShadow);
        }
    }
    if (state_.traceOn) {
        state_.traceText.Append(status);
    }
}

std::int32_t Library::DirectReadPrinterPin(std::int32_t pin)
{
    if (state_.traceOn) {
        state_.traceText.AppendFormat("\n%s(%d)", "DirectReadPrinterPin", pin);
    }
    std::int32_t result = 0;
    const char* status = "";
    if (const ConnectorPin* found = FindConnectorPin(pin)) {
        std::uint8_t byte = 0;
        switch (found->reg) {
        case PinRegister::kData:
            state_.dataShadow = static_cast<std::uint8_t>(Get_Data() & 0xFF);
            byte = state_.dataShadow;
            break;
        case PinRegister::kStatus:
            byte = static_cast<std::uint8_t>(Get_Status() & 0xFF);
            break;
        case PinRegister::kControl:
            // The control register is never read back: the pin reads as last written.
            byte = state_.controlShadow;
            break;
        }
        result = ((byte & found->bit) != 0) != found->inverted ? 1 : 0;
    } else {
        status = kOutOfRange;
    }
    if (state_.traceOn) {
        state_.traceText.AppendFormat("=%d %s", result, status);
    }
    return result;
}

}  // namespace olvbus
