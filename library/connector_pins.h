// The 25-pin connector of a standard PC parallel port: which register bit
// carries each of pins 1 to 17, and which the port hardware inverts. The pin
// exports, the DUT strobes and the BUSY pin all look pins up here.
#ifndef OLVBUS_CONNECTOR_PINS_H
#define OLVBUS_CONNECTOR_PINS_H

#include <cstdint>

namespace olvbus {

enum class PinRegister { kData, kStatus, kControl };

struct ConnectorPin {
    std::int32_t pin;
    PinRegister reg;
    std::uint8_t bit;
    // The port presents the bit inverted at the pin: a set bit is a low pin.
    bool inverted;
};

// Index = pin number; the signal names are those of IEEE 1284.
inline constexpr ConnectorPin kConnectorPins[] = {
    {0, PinRegister::kData, 0, false},         // no pin 0
    {1, PinRegister::kControl, 0x01, true},    // nStrobe
    {2, PinRegister::kData, 0x01, false},      // Data1
    {3, PinRegister::kData, 0x02, false},
    {4, PinRegister::kData, 0x04, false},
    {5, PinRegister::kData, 0x08, false},
    {6, PinRegister::kData, 0x10, false},
    {7, PinRegister::kData, 0x20, false},
    {8, PinRegister::kData, 0x40, false},
    {9, PinRegister::kData, 0x80, false},      // Data8
    {10, PinRegister::kStatus, 0x40, false},   // nAck
    {11, PinRegister::kStatus, 0x80, true},    // Busy
    {12, PinRegister::kStatus, 0x20, false},   // PError
    {13, PinRegister::kStatus, 0x10, false},   // Select
    {14, PinRegister::kControl, 0x02, true},   // nAutoFd
    {15, PinRegister::kStatus, 0x08, false},   // nFault
    {16, PinRegister::kControl, 0x04, false},  // nInit
    {17, PinRegister::kControl, 0x08, true},   // nSelectIn
};

// Pins 1 to 17; nothing for any other number (the whole 32-bit value counts).
inline const ConnectorPin* FindConnectorPin(std::int32_t pin)
{
    return pin >= 1 && pin <= 17 ? &kConnectorPins[pin] : nullptr;
}

// The same, only when the pin is carried by the given register.
inline const ConnectorPin* FindConnectorPin(std::int32_t pin, PinRegister reg)
{
    const ConnectorPin* found = FindConnectorPin(pin);
    return found != nullptr && found->reg == reg ? found : nullptr;
}

}  // namespace olvbus

#endif  // OLVBUS_CONNECTOR_PINS_H
