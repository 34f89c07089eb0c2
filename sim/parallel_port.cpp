#include "sim/parallel_port.h"

namespace olvbus::sim {
namespace {

struct StatusPin {
    int pin;
    std::uint8_t bit;
    bool inverted;
};

// The status register's wiring; bit 7 is inverted by the port hardware.
constexpr StatusPin kStatusPins[] = {
    {10, 0x40, false}, {11, 0x80, true}, {12, 0x20, false}, {13, 0x10, false}, {15, 0x08, false},
};
constexpr std::uint8_t kUnusedStatusBits = 0x07;

struct ControlPin {
    int pin;
    std::uint8_t bit;
    bool inverted;
};

// Open-collector outputs; the port inverts three of the four.
constexpr ControlPin kControlPins[] = {
    {1, 0x01, true}, {14, 0x02, true}, {16, 0x04, false}, {17, 0x08, true},
};

}  // namespace

std::uint8_t ParallelPort::Read(int offset)
{
    std::uint8_t value = 0xFF;
    switch (offset) {
    case kDataOffset:
        value = DataLines();
        break;
    case kStatusOffset:
        value = StatusRegister();
        break;
    case kControlOffset:
        // Bits 6 and 7 are not implemented and read high.
        value = static_cast<std::uint8_t>(control_ | 0xC0);
        break;
    default:
        break;
    }
    AfterAccess(offset == kStatusOffset);
    return value;
}

void ParallelPort::Write(int offset, std::uint8_t value)
{
    if (offset == kDataOffset) {
        dataLatch_ = value;
    } else if (offset == kControlOffset) {
        control_ = value;
    }
    AfterAccess(false);
}

std::uint8_t ParallelPort::DataLines() const
{
    if (PcDrivesData()) {
        return dataLatch_;
    }
    if (peripheral_ != nullptr) {
        if (const auto driven = peripheral_->DrivenData()) {
            return *driven;
        }
    }
    return 0xFF;  // released lines float high
}

bool ParallelPort::InputPin(int pin) const
{
    if (peripheral_ != nullptr) {
        if (const auto driven = peripheral_->DrivenInput(pin)) {
            return *driven;
        }
    }
    return inputDefault_[pin];
}

std::uint8_t ParallelPort::StatusRegister() const
{
    std::uint8_t value = kUnusedStatusBits;
    for (const StatusPin& s : kStatusPins) {
        if (InputPin(s.pin) != s.inverted) {
            value = static_cast<std::uint8_t>(value | s.bit);
        }
    }
    return value;
}

bool ParallelPort::PinLevel(int pin) const
{
    if (pin >= 2 && pin <= 9) {
        return (DataLines() >> (pin - 2)) & 1;
    }
    for (const ControlPin& c : kControlPins) {
        if (c.pin == pin) {
            return ((control_ & c.bit) != 0) != c.inverted;
        }
    }
    for (const StatusPin& s : kStatusPins) {
        if (s.pin == pin) {
            return InputPin(pin);
        }
    }
    return false;
}

void ParallelPort::SetInputPin(int pin, bool high)
{
    if (pin >= 0 && pin < static_cast<int>(sizeof inputDefault_)) {
        inputDefault_[pin] = high;
    }
}

void ParallelPort::AfterAccess(bool statusRead)
{
    if (peripheral_ == nullptr) {
        return;
    }
    peripheral_->OnPortAccess(*this, statusRead);
    if (PcDrivesData() && peripheral_->DrivenData().has_value()) {
        ++contentions_;
    }
}

}  // namespace olvbus::sim
