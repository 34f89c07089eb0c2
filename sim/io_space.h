// The PC's I/O address space: the three parallel ports at their usual bases,
// open bus everywhere else, and a log of every access in order.
#ifndef OLVBUS_SIM_IO_SPACE_H
#define OLVBUS_SIM_IO_SPACE_H

#include <cstdint>
#include <functional>
#include <vector>

#include "sim/parallel_port.h"

namespace olvbus::sim {

enum class AccessKind : std::uint8_t { kReadByte, kWriteByte, kReadWord, kWriteWord };

struct PortAccessRecord {
    AccessKind kind;
    std::uint32_t address;  // as handed to the bus, before the 16-bit decode
    std::uint16_t value;
};

class IoSpace {
public:
    static constexpr std::uint16_t kPortBases[] = {0x378, 0x278, 0x3BC};

    IoSpace();

    std::uint8_t InByte(std::uint32_t address);
    void OutByte(std::uint32_t address, std::uint8_t value);
    // One bus cycle of 16 bits: the low byte at address, the high at address + 1.
    std::uint16_t InWord(std::uint32_t address);
    void OutWord(std::uint32_t address, std::uint16_t value);

    ParallelPort& Port(int index) { return ports_[index]; }  // 0, 1, 2 for LPT1..3
    ParallelPort* PortAt(std::uint16_t base);

    // Recording is off by default so that benchmarks measure the bus alone.
    void Record(bool on) { recording_ = on; }
    const std::vector<PortAccessRecord>& Accesses() const { return accesses_; }
    void ClearAccesses() { accesses_.clear(); }

    // Called after every access, recording or not (the waveform recorder).
    void AddObserver(std::function<void(const PortAccessRecord&)> observer);

private:
    std::uint8_t DecodeRead(std::uint16_t address);
    void DecodeWrite(std::uint16_t address, std::uint8_t value);
    void Note(AccessKind kind, std::uint32_t address, std::uint16_t value);

    ParallelPort ports_[3];
    bool recording_ = false;
    std::vector<PortAccessRecord> accesses_;
    std::vector<std::function<void(const PortAccessRecord&)>> observers_;
};

}  // namespace olvbus::sim

#endif  // OLVBUS_SIM_IO_SPACE_H
