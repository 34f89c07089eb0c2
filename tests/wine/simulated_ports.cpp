// The Wine test build's port binding. Wine hosts drivers in a user-mode
// process, where port instructions fault, so this build of OlvexPin reaches a
// simulated PC instead: the parallel port model of sim/ at 0x378, 0x278 and
// 0x3BC, and on the first port a register board wired WR=1-, RD=14-,
// ADDR=16+, CS=17- (the evaluation board's usual wiring). Everything here is
// freestanding: it runs inside the driver.
#include <stdint.h>

#include <new>

#include "sim/parallel_port.h"
#include "sys/wdm/wdm_bridge.h"

namespace {

using olvbus::sim::ParallelPort;
using olvbus::sim::PortPeripheral;

struct Signal {
    int pin;
    bool activeHigh;
    bool Asserted(const ParallelPort& port) const { return port.PinLevel(pin) == activeHigh; }
};

// The board latches on the trailing edge of WR: the address while ADDR is
// asserted, otherwise the data byte into the addressed register. While RD is
// asserted in the data phase it drives the addressed register onto the data
// lines. No BUSY output: the board is always ready.
class RegisterBoard final : public PortPeripheral {
public:
    std::optional<uint8_t> DrivenData() const override
    {
        if (reading_) {
            return registers_[address_];
        }
        return std::nullopt;
    }
    std::optional<bool> DrivenInput(int) const override { return std::nullopt; }
    void OnPortAccess(const ParallelPort& port, bool) override
    {
        const bool wr = kWr.Asserted(port);
        const bool cs = kCs.Asserted(port);
        const bool addr = kAddr.Asserted(port);
        if (wrBefore_ && !wr && csBefore_) {
            if (addrBefore_) {
                address_ = port.DataLatch();
            } else {
                registers_[address_] = port.DataLatch();
            }
        }
        reading_ = cs && !addr && kRd.Asserted(port);
        wrBefore_ = wr;
        csBefore_ = cs;
        addrBefore_ = addr;
    }

private:
    static constexpr Signal kWr{1, false};
    static constexpr Signal kRd{14, false};
    static constexpr Signal kAddr{16, true};
    static constexpr Signal kCs{17, false};

    uint8_t registers_[256] = {};
    uint8_t address_ = 0;
    bool reading_ = false;
    bool wrBefore_ = false;
    bool csBefore_ = false;
    bool addrBefore_ = false;
};

// Built on first use: a driver has no runtime to run static constructors.
struct SimulatedPc {
    ParallelPort ports[3] = {ParallelPort(0x378), ParallelPort(0x278), ParallelPort(0x3BC)};
    RegisterBoard board;
    // Ports nothing decodes read as open bus; writes to them are lost.
    uint8_t openBus = 0xFF;
};

alignas(SimulatedPc) unsigned char storage[sizeof(SimulatedPc)];
SimulatedPc* pc = nullptr;

SimulatedPc& Pc()
{
    if (pc == nullptr) {
        pc = new (storage) SimulatedPc;
        pc->ports[0].Attach(&pc->board);
    }
    return *pc;
}

// The processor decodes the low 16 bits of the port number.
ParallelPort* Decode(uint32_t port, int& offset)
{
    const uint16_t address = static_cast<uint16_t>(port);
    for (ParallelPort& candidate : Pc().ports) {
        if (address >= candidate.Base() && address < candidate.Base() + ParallelPort::kRegisterSpan) {
            offset = address - candidate.Base();
            return &candidate;
        }
    }
    return nullptr;
}

}  // namespace

// The deallocation functions the board's virtual destructor names; nothing
// here is ever deleted.
void operator delete(void*) noexcept {}
void operator delete(void*, decltype(sizeof(0))) noexcept {}

extern "C" {

uint8_t OlvWdmReadPortByte(uint32_t port)
{
    int offset = 0;
    ParallelPort* target = Decode(port, offset);
    return target != nullptr ? target->Read(offset) : Pc().openBus;
}

void OlvWdmWritePortByte(uint32_t port, uint8_t value)
{
    int offset = 0;
    if (ParallelPort* target = Decode(port, offset)) {
        target->Write(offset, value);
    }
}

// One 16-bit bus cycle: the low byte at port, the high byte at port + 1.
uint16_t OlvWdmReadPortWord(uint32_t port)
{
    const uint8_t low = OlvWdmReadPortByte(port);
    const uint8_t high = OlvWdmReadPortByte(port + 1);
    return static_cast<uint16_t>(low | (high << 8));
}

void OlvWdmWritePortWord(uint32_t port, uint16_t value)
{
    OlvWdmWritePortByte(port, static_cast<uint8_t>(value & 0xFF));
    OlvWdmWritePortByte(port + 1, static_cast<uint8_t>(value >> 8));
}

}  // extern "C"
