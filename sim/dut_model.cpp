#include "sim/dut_model.h"

#include <limits>
#include <sstream>

namespace olvbus::sim {
namespace {

constexpr int kStrobePins[] = {1, 14, 16, 17};
constexpr int kBusyPins[] = {10, 11, 12, 13, 15};
// A broken setup can breach the protocol on every poll of a long wait; the
// first breaches tell the story, the rest are only counted.
constexpr std::size_t kViolationsKept = 100;

template <std::size_t N>
bool OneOf(int pin, const int (&pins)[N])
{
    for (int candidate : pins) {
        if (candidate == pin) {
            return true;
        }
    }
    return false;
}

bool ParseSignal(const std::string& value, DutSignal& signal)
{
    if (value.size() < 2 || value.size() > 3) {
        return false;
    }
    const char polarity = value.back();
    const std::string digits = value.substr(0, value.size() - 1);
    if ((polarity != '+' && polarity != '-') || digits.find_first_not_of("0123456789") != std::string::npos) {
        return false;
    }
    signal.pin = std::stoi(digits);
    signal.activeHigh = polarity == '+';
    return true;
}

bool ParseCount(const std::string& value, std::int64_t& count)
{
    if (value.empty() || value.size() > 12 || value.find_first_not_of("0123456789") != std::string::npos) {
        return false;
    }
    count = std::stoll(value);
    return true;
}

}  // namespace

std::optional<DutConfig> ParseDutConfig(const std::string& text, std::string& error)
{
    DutConfig config;
    std::stringstream items(text);
    std::string item;
    while (std::getline(items, item, ',')) {
        const auto equals = item.find('=');
        if (equals == std::string::npos) {
            error = "'" + item + "' is not key=value";
            return std::nullopt;
        }
        const std::string key = item.substr(0, equals);
        const std::string value = item.substr(equals + 1);
        DutSignal* strobe = key == "wr" ? &config.wr
                          : key == "rd" ? &config.rd
                          : key == "addr" ? &config.addr
                          : key == "cs" ? &config.cs
                                        : nullptr;
        if (strobe != nullptr) {
            if (!ParseSignal(value, *strobe) || !OneOf(strobe->pin, kStrobePins)) {
                error = key + "=" + value + ": expected control pin 1, 14, 16 or 17 and + or -";
                return std::nullopt;
            }
        } else if (key == "busy") {
            if (!ParseSignal(value, config.busy) || !OneOf(config.busy.pin, kBusyPins)) {
                error = key + "=" + value + ": expected status pin 10, 11, 12, 13 or 15 and + or -";
                return std::nullopt;
            }
        } else if (key == "busypolls" || key == "pulse") {
            if (!ParseCount(value, key == "pulse" ? config.pulseDelay : config.busyPolls)) {
                error = key + "=" + value + ": expected a count of status reads";
                return std::nullopt;
            }
        } else if (key == "lpt") {
            if (value != "1" && value != "2" && value != "3") {
                error = "lpt=" + value + ": expected 1, 2 or 3";
                return std::nullopt;
            }
            config.lpt = value[0] - '0';
        } else {
            error = "unknown key '" + key + "'";
            return std::nullopt;
        }
    }
    if (!config.wr.Wired() || !config.rd.Wired() || !config.addr.Wired()) {
        error = "wr, rd and addr must be wired";
        return std::nullopt;
    }
    if (config.pulseDelay > 0 && config.busyPolls == 0) {
        config.busyPolls = 1;
    }
    return config;
}

bool SignalAsserted(const ParallelPort& port, const DutSignal& signal)
{
    return signal.Wired() && port.PinLevel(signal.pin) == signal.activeHigh;
}

DutModel::DutModel(const DutConfig& config, const ParallelPort& port) : config_(config)
{
    now_ = Sample(port);
    pcDroveData_ = port.PcDrivesData();
}

DutModel::Strobes DutModel::Sample(const ParallelPort& port) const
{
    Strobes s;
    s.wr = SignalAsserted(port, config_.wr);
    s.rd = SignalAsserted(port, config_.rd);
    s.addr = SignalAsserted(port, config_.addr);
    s.cs = config_.cs.Wired() ? SignalAsserted(port, config_.cs) : true;
    return s;
}

// Status reads since the last phase: first pulseDelay ready-looking reads,
// then busyPolls busy ones, then ready for good.
bool DutModel::BusyActive() const
{
    return pollsSincePhase_ >= config_.pulseDelay &&
           pollsSincePhase_ < config_.pulseDelay + config_.busyPolls;
}

bool DutModel::Ready() const
{
    return pollsSincePhase_ >= config_.pulseDelay + config_.busyPolls;
}

std::optional<std::uint8_t> DutModel::DrivenData() const
{
    // The board's output enable is RD with CS in the data phase; it does not
    // know whether the PC has let go, which is what the checker is for.
    if (now_.rd && now_.cs && !now_.addr) {
        return registers_[address_];
    }
    return std::nullopt;
}

std::optional<bool> DutModel::DrivenInput(int pin) const
{
    if (!config_.busy.Wired() || pin != config_.busy.pin) {
        return std::nullopt;
    }
    return BusyActive() == config_.busy.activeHigh;
}

void DutModel::Violation(const std::string& what)
{
    ++violationCount_;
    if (violations_.size() < kViolationsKept) {
        violations_.push_back("access " + std::to_string(accesses_) + ": " + what);
    }
}

void DutModel::PhaseEnded()
{
    pollsSincePhase_ = 0;
}

void DutModel::OnPortAccess(const ParallelPort& port, bool statusRead)
{
    ++accesses_;
    if (statusRead) {
        ++statusReads_;
        if (pollsSincePhase_ < std::numeric_limits<std::int64_t>::max()) {
            ++pollsSincePhase_;
        }
    }
    const Strobes before = now_;
    const bool pcDroveBefore = pcDroveData_;
    now_ = Sample(port);
    pcDroveData_ = port.PcDrivesData();

    const bool wrLeading = now_.wr && !before.wr;
    const bool rdLeading = now_.rd && !before.rd;
    if (now_.wr && now_.rd && (wrLeading || rdLeading)) {
        Violation("WR and RD asserted together");
    }
    if (wrLeading && !now_.cs) {
        Violation("WR asserted while CS is released");
    }
    if (rdLeading && !now_.cs) {
        Violation("RD asserted while CS is released");
    }
    if (before.cs && !now_.cs && (now_.wr || now_.rd)) {
        Violation("CS released during a strobe");
    }
    if ((wrLeading || rdLeading) && now_.cs && !Ready()) {
        Violation(wrLeading ? "WR asserted while the device is busy" : "RD asserted while the device is busy");
    }
    if (rdLeading && now_.cs && now_.addr) {
        Violation("RD asserted in the address phase");
    }
    if (((before.wr && now_.wr) || (before.rd && now_.rd)) && before.addr != now_.addr) {
        Violation("ADDR changed during a strobe");
    }

    // The board latches on the trailing edge of WR: the address while ADDR
    // is asserted, otherwise the data byte into the addressed register.
    if (before.wr && !now_.wr && before.cs) {
        if (!pcDroveBefore || !pcDroveData_) {
            Violation("WR released while the PC was not driving the data lines");
        }
        const std::uint8_t bus = port.DataLines();
        if (before.addr) {
            address_ = bus;
        } else {
            registers_[address_] = bus;
            ++writes_;
        }
        PhaseEnded();
    }
    if (before.rd && !now_.rd && before.cs && !before.addr) {
        ++reads_;
        PhaseEnded();
    }
    if (pcDroveData_ && DrivenData().has_value()) {
        Violation("data lines driven by the PC and the device at once");
    }
}

}  // namespace olvbus::sim
