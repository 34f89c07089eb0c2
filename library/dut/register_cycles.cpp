// DUT register write and read cycles: an address phase and a data phase on
// the multiplexed data lines, each preceded by two BUSY waits.
//
// Control register, in order:  A  (address)  B  |  C  (data)  D
//   A  Addr_Wr    CS, ADDR, WR asserted        address latched when WR lets go
//   B  Addr_Idle  WR released
//   C  Data_Wr    WR asserted, ADDR released   data latched when WR lets go
//      Data_Rd    RD asserted, lines released  the DUT drives the register
//   D  Data_Idle  strobes released but CS, lines driven again
#include <cstdint>
#include <limits>

#include "library/library.h"

namespace olvbus {
namespace {

std::uint8_t LowByte(std::int32_t value) { return static_cast<std::uint8_t>(value & 0xFF); }

std::uint8_t Apply(unsigned value, std::uint8_t andMask, std::uint8_t orMask)
{
    return static_cast<std::uint8_t>((value & andMask) | orMask);
}

}  // namespace

Library::CycleOutcome Library::RunRegisterCycle(bool read, std::int32_t address,
                                                std::int32_t data, std::uint8_t& reply)
{
    const ControlMasks& m = state_.controlMasks;
    // The address phase puts a byte on the data lines, so it takes the data
    // drivers on first: a cycle that starts with the lines released would
    // otherwise hand the DUT a floating bus as its address and data. Strobe
    // bits that share a data-enable bit still win through the OR masks.
    const unsigned dataEnableBits = static_cast<unsigned>(state_.dataEnableMask) & 0xFF;
    const std::uint8_t a = Apply(state_.controlShadow & ~dataEnableBits, m.addrWrAnd, m.addrWrOr);
    const std::uint8_t b = Apply(a, m.addrIdleAnd, m.addrIdleOr);
    const std::uint8_t c = read ? Apply(b, m.dataRdAnd, m.dataRdOr) : Apply(b, m.dataWrAnd, m.dataWrOr);
    const std::uint8_t d = Apply(c, m.dataIdleAnd, m.dataIdleOr);
    const std::uint8_t addressByte = LowByte(address);
    const std::uint8_t dataByte = LowByte(data);

    // 64 bits: a limit of INT32_MAX must still be exceeded by the last poll.
    std::int64_t polls = 0;
    bool requestFailed = false;
    auto noteAccess = [&](Access access) {
        if (access != Access::kDone) {
            requestFailed = true;
        }
    };
    // One BUSY wait; false when the poll limit of the cycle ran out.
    auto waitFor = [&](std::uint8_t target) {
        for (;;) {
            const ByteRead status = ports_.ReadStatusRegister();
            if (status.access == Access::kDone) {
                reply = status.value;
            } else {
                requestFailed = true;
            }
            ++polls;
            if (polls > state_.busyTimeout) {
                return false;
            }
            if ((reply & state_.busyMask) == target) {
                return true;
            }
        }
    };

    const bool addressPhaseReady = waitFor(state_.busyState1) && waitFor(state_.busyState2);
    if (addressPhaseReady) {
        noteAccess(ports_.WriteControlRegister(a));
        noteAccess(ports_.WriteDataRegister(addressByte));
        noteAccess(ports_.WriteControlRegister(b));
    }
    if (!addressPhaseReady || !waitFor(state_.busyState1) || !waitFor(state_.busyState2)) {
        const std::int32_t count = static_cast<std::int32_t>(
            polls > std::numeric_limits<std::int32_t>::max() ? std::numeric_limits<std::int32_t>::max()
                                                              : polls);
        if (count > state_.busyHighestCount) {
            state_.busyHighestCount = count;
        }
        // Whichever wait ran out, the shadows describe the address phase.
        state_.controlShadow = b;
        state_.dataShadow = addressByte;
        return {CycleEnd::kTimedOut, 0};
    }

    std::uint8_t byteOnBus = dataByte;
    noteAccess(ports_.WriteControlRegister(c));
    if (read) {
        const ByteRead lines = ports_.ReadDataRegister();
        if (lines.access == Access::kDone) {
            reply = lines.value;
        } else {
            requestFailed = true;
        }
        byteOnBus = reply;
    } else {
        noteAccess(ports_.WriteDataRegister(dataByte));
    }
    noteAccess(ports_.WriteControlRegister(d));

    state_.controlShadow = d;
    state_.dataShadow = byteOnBus;
    return {requestFailed ? CycleEnd::kRequestFailed : CycleEnd::kCompleted, byteOnBus};
}

// NT family without a driver handle: there is no way to the port, so the
// cycle fails before its first access and changes nothing.
bool Library::Try_DUT_Register_Write(std::int32_t address, std::int32_t data)
{
    if (state_.traceOn) {
        state_.traceText.AppendFormat("\n%s(%d,%d)", "Try_DUT_Register_Write", address, data);
    }
    if (!PortOpen()) {
        return false;
    }
    bool completed = false;
    if (state_.driverHandle != kInvalidHandle || !IsNtFamily(state_)) {
        completed = RunRegisterCycle(false, address, data, writeCycleReply_).end == CycleEnd::kCompleted;
    }
    if (state_.traceOn) {
        state_.traceText.Append(completed ? "=true" : "=false");
    }
    return completed;
}

bool Library::Try_DUT_Register_Read(std::int32_t address, std::int32_t* value)
{
    if (state_.traceOn) {
        state_.traceText.AppendFormat("\n%s(%d,int*)", "Try_DUT_Register_Read", address);
    }
    if (!PortOpen()) {
        return false;
    }
    bool completed = false;
    std::uint8_t byteRead = 0;
    if (state_.driverHandle != kInvalidHandle || !IsNtFamily(state_)) {
        const CycleOutcome outcome = RunRegisterCycle(true, address, 0, readCycleReply_);
        completed = outcome.end == CycleEnd::kCompleted;
        byteRead = outcome.byteRead;
    }
    if (completed && value != nullptr) {
        *value = byteRead;
    }
    if (state_.traceOn) {
        if (completed) {
            state_.traceText.AppendFormat("=true (*ptr=%d)", byteRead);
        } else {
            state_.traceText.Append("=false (*ptr=unchanged)");
        }
    }
    return completed;
}

}  // namespace olvbus
