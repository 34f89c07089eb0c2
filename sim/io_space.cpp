#include "sim/io_space.h"

namespace olvbus::sim {

IoSpace::IoSpace() : ports_{ParallelPort(kPortBases[0]), ParallelPort(kPortBases[1]), ParallelPort(kPortBases[2])} {}

ParallelPort* IoSpace::PortAt(std::uint16_t base)
{
    for (ParallelPort& port : ports_) {
        if (port.Base() == base) {
            return &port;
        }
    }
    return nullptr;
}

// x86 port addresses are 16 bits wide: a larger address reaches its low 16 bits.
std::uint8_t IoSpace::DecodeRead(std::uint16_t address)
{
    for (ParallelPort& port : ports_) {
        if (address >= port.Base() && address < port.Base() + ParallelPort::kRegisterSpan) {
            return port.Read(address - port.Base());
        }
    }
    return 0xFF;  // nothing answers: open bus
}

void IoSpace::DecodeWrite(std::uint16_t address, std::uint8_t value)
{
    for (ParallelPort& port : ports_) {
        if (address >= port.Base() && address < port.Base() + ParallelPort::kRegisterSpan) {
            port.Write(address - port.Base(), value);
            return;
        }
    }
}

std::uint8_t IoSpace::InByte(std::uint32_t address)
{
    const std::uint8_t value = DecodeRead(static_cast<std::uint16_t>(address));
    Note(AccessKind::kReadByte, address, value);
    return value;
}

void IoSpace::OutByte(std::uint32_t address, std::uint8_t value)
{
    DecodeWrite(static_cast<std::uint16_t>(address), value);
    Note(AccessKind::kWriteByte, address, value);
}

std::uint16_t IoSpace::InWord(std::uint32_t address)
{
    const std::uint8_t low = DecodeRead(static_cast<std::uint16_t>(address));
    const std::uint8_t high = DecodeRead(static_cast<std::uint16_t>(address + 1));
    const auto value = static_cast<std::uint16_t>(low | (high << 8));
    Note(AccessKind::kReadWord, address, value);
    return value;
}

void IoSpace::OutWord(std::uint32_t address, std::uint16_t value)
{
    DecodeWrite(static_cast<std::uint16_t>(address), static_cast<std::uint8_t>(value & 0xFF));
    DecodeWrite(static_cast<std::uint16_t>(address + 1), static_cast<std::uint8_t>(value >> 8));
    Note(AccessKind::kWriteWord, address, value);
}

void IoSpace::AddObserver(std::function<void(const PortAccessRecord&)> observer)
{
    observers_.push_back(std::move(observer));
}

void IoSpace::Note(AccessKind kind, std::uint32_t address, std::uint16_t value)
{
    const PortAccessRecord record{kind, address, value};
    if (recording_) {
        accesses_.push_back(record);
    }
    for (const auto& observer : observers_) {
        observer(record);
    }
}

}  // namespace olvbus::sim
