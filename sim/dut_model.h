// A device under test on the multiplexed register bus, wired to the parallel
// port's connector as the evaluation board is: four strobes on control pins,
// BUSY on a status pin, address and data on pins 2-9. It sees only pin
// levels, as the real board does, and checks the protocol as it goes.
//
// Wiring text (OLVBUS_SIM_DUT), comma-separated key=value:
//   wr=1-  rd=14-  addr=16+  cs=17-  busy=11+
//       signal = connector pin, then + (active high) or - (active low).
//       wr, rd and addr are required; without cs the device is always
//       selected; without busy it has no BUSY output.
//   busypolls=N  BUSY is active for N status reads before each phase (after
//                power-on and after every completed phase); 0 = always ready.
//   pulse=M      BUSY pulses: after each phase it stays inactive for M status
//                reads and only then goes active for busypolls reads (at
//                least 1). Until the pulse has ended the device is not ready,
//                so only edge sync starts a phase in time.
//   lpt=1|2|3    the connector it is plugged into (default 1)
#ifndef OLVBUS_SIM_DUT_MODEL_H
#define OLVBUS_SIM_DUT_MODEL_H

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "sim/parallel_port.h"

namespace olvbus::sim {

struct DutSignal {
    int pin = 0;  // 0: not wired
    bool activeHigh = false;
    bool Wired() const { return pin != 0; }
};

struct DutConfig {
    DutSignal wr;
    DutSignal rd;
    DutSignal addr;
    DutSignal cs;
    DutSignal busy;
    std::int64_t busyPolls = 0;
    std::int64_t pulseDelay = 0;
    int lpt = 1;
};

// Nothing and a reason when the text is not a wiring the model understands.
std::optional<DutConfig> ParseDutConfig(const std::string& text, std::string& error);

// Whether a strobe is asserted, from the level at its pin.
bool SignalAsserted(const ParallelPort& port, const DutSignal& signal);

class DutModel final : public PortPeripheral {
public:
    // Takes the strobes' starting levels from the port it is plugged into;
    // attach it to that port afterwards.
    DutModel(const DutConfig& config, const ParallelPort& port);

    std::optional<std::uint8_t> DrivenData() const override;
    std::optional<bool> DrivenInput(int pin) const override;
    void OnPortAccess(const ParallelPort& port, bool statusRead) override;

    const DutConfig& Config() const { return config_; }
    std::uint8_t Register(std::uint8_t address) const { return registers_[address]; }
    void SetRegister(std::uint8_t address, std::uint8_t value) { registers_[address] = value; }
    std::uint8_t LatchedAddress() const { return address_; }
    bool BusyActive() const;
    std::uint64_t StatusReads() const { return statusReads_; }
    std::uint64_t Writes() const { return writes_; }
    std::uint64_t Reads() const { return reads_; }

    // Protocol checker: every breach seen, oldest first, each naming the port
    // access (counted from 1) at which it happened.
    const std::vector<std::string>& Violations() const { return violations_; }
    std::uint64_t ViolationCount() const { return violationCount_; }
    void ClearViolations()
    {
        violations_.clear();
        violationCount_ = 0;
    }

private:
    struct Strobes {
        bool wr = false;
        bool rd = false;
        bool addr = false;
        bool cs = false;
    };
    Strobes Sample(const ParallelPort& port) const;
    bool Ready() const;
    void Violation(const std::string& what);
    void PhaseEnded();

    DutConfig config_;
    std::array<std::uint8_t, 256> registers_{};
    std::uint8_t address_ = 0;
    Strobes now_;
    bool pcDroveData_ = true;
    std::int64_t pollsSincePhase_ = 0;
    std::uint64_t accesses_ = 0;
    std::uint64_t statusReads_ = 0;
    std::uint64_t writes_ = 0;
    std::uint64_t reads_ = 0;
    std::vector<std::string> violations_;
    std::uint64_t violationCount_ = 0;
};

}  // namespace olvbus::sim

#endif  // OLVBUS_SIM_DUT_MODEL_H
