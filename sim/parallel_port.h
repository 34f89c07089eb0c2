// A standard PC parallel port as the connector sees it: three registers at a
// base address, and the electrical level of pins 1 to 17 after every access.
//
//   base + 0  data      latch for pins 2-9; reads the lines themselves
//   base + 1  status    bit 7 = NOT pin 11, bit 6 = pin 10, bit 5 = pin 12,
//                       bit 4 = pin 13, bit 3 = pin 15; bits 0-2 read as 1
//   base + 2  control   bit 0 = NOT pin 1, bit 1 = NOT pin 14, bit 2 = pin 16,
//                       bit 3 = NOT pin 17, bit 5 = data lines are inputs
#ifndef OLVBUS_SIM_PARALLEL_PORT_H
#define OLVBUS_SIM_PARALLEL_PORT_H

#include <cstdint>
#include <optional>

namespace olvbus::sim {

class ParallelPort;

// Something wired to the connector (the device under test). The port asks it
// what it drives, and tells it after every access of the PC.
class PortPeripheral {
public:
    virtual ~PortPeripheral() = default;
    // The data lines the device drives now; nothing when it has let go.
    virtual std::optional<std::uint8_t> DrivenData() const = 0;
    // The level the device puts on a status pin (10, 11, 12, 13, 15).
    virtual std::optional<bool> DrivenInput(int pin) const = 0;
    // Called after each register access of the PC, with the port as it now is.
    virtual void OnPortAccess(const ParallelPort& port, bool statusRead) = 0;
};

class ParallelPort {
public:
    static constexpr int kDataOffset = 0;
    static constexpr int kStatusOffset = 1;
    static constexpr int kControlOffset = 2;
    static constexpr int kRegisterSpan = 8;  // SPP, EPP and ECP registers share the decode
    static constexpr std::uint8_t kDirectionBit = 0x20;

    explicit ParallelPort(std::uint16_t base) : base_(base) {}

    std::uint16_t Base() const { return base_; }
    std::uint8_t Read(int offset);
    void Write(int offset, std::uint8_t value);

    // Level at connector pin 1..17 (true = high). Other pins read low (ground).
    bool PinLevel(int pin) const;
    bool PcDrivesData() const { return (control_ & kDirectionBit) == 0; }
    std::uint8_t DataLatch() const { return dataLatch_; }
    std::uint8_t ControlRegister() const { return control_; }
    std::uint8_t StatusRegister() const;
    std::uint8_t DataLines() const;

    // What a test or a loop-back plug puts on a status pin when no device
    // drives it; unconnected inputs float high.
    void SetInputPin(int pin, bool high);

    void Attach(PortPeripheral* peripheral) { peripheral_ = peripheral; }

    // Accesses after which both the PC and the device drove the data lines.
    std::uint64_t ContentionCount() const { return contentions_; }

private:
    void AfterAccess(bool statusRead);
    bool InputPin(int pin) const;

    std::uint16_t base_;
    std::uint8_t dataLatch_ = 0;
    std::uint8_t control_ = 0;
    bool inputDefault_[18] = {true, true, true, true, true, true, true, true, true,
                              true, true, true, true, true, true, true, true, true};
    PortPeripheral* peripheral_ = nullptr;
    std::uint64_t contentions_ = 0;
};

}  // namespace olvbus::sim

#endif  // OLVBUS_SIM_PARALLEL_PORT_H
