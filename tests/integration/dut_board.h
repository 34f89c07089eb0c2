// A bench with a device under test plugged into LPT1: the library loaded on
// the simulated PC, LPT1 selected, the strobes and BUSY assigned as the
// device is wired, and the bus idle before the device is plugged in.
#ifndef OLVBUS_TESTS_DUT_BOARD_H
#define OLVBUS_TESTS_DUT_BOARD_H

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "sim/dut_model.h"
#include "tests/support/sim_board.h"

namespace olvbus::test {

// Control pins 1, 14, 16, 17 and their register bits; the port inverts 1, 14, 17.
inline std::uint8_t ReleasedLevelBits(const sim::DutSignal& s)
{
    if (!s.Wired()) {
        return 0;
    }
    const bool releasedHigh = !s.activeHigh;
    switch (s.pin) {
    case 1: return releasedHigh ? 0 : 0x01;
    case 14: return releasedHigh ? 0 : 0x02;
    case 16: return releasedHigh ? 0x04 : 0;
    case 17: return releasedHigh ? 0 : 0x08;
    default: return 0;
    }
}

inline sim::DutConfig Wiring(const std::string& text)
{
    std::string error;
    const auto config = sim::ParseDutConfig(text, error);
    EXPECT_TRUE(config.has_value()) << text << ": " << error;
    return config.value_or(sim::DutConfig{});
}

struct DutBoard : SimBoard {
    DutBoard(sim::OsFamily family, const std::string& wiring, bool select = true)
        : SimBoard(Family(family)), config(Wiring(wiring))
    {
        if (select) {
            EXPECT_EQ(library.Select_LPT_123(1), 0x378);
            // Every strobe released before the board is plugged in.
            library.Set_Control(ReleasedLevelBits(config.wr) | ReleasedLevelBits(config.rd) |
                                ReleasedLevelBits(config.addr) | ReleasedLevelBits(config.cs));
        }
        dut.emplace(config, lpt1());
        lpt1().Attach(&*dut);
        AssignPins();
        pc.io.ClearAccesses();
        library.Trace_Begin();
    }
    ~DutBoard() { lpt1().Attach(nullptr); }
    DutBoard(const DutBoard&) = delete;
    DutBoard& operator=(const DutBoard&) = delete;

    void AssignPins()
    {
        EXPECT_TRUE(library.Set_DUT_WR_Pin(config.wr.pin, config.wr.activeHigh));
        EXPECT_TRUE(library.Set_DUT_RD_Pin(config.rd.pin, config.rd.activeHigh));
        EXPECT_TRUE(library.Set_DUT_ADDR_Pin(config.addr.pin, config.addr.activeHigh));
        if (config.cs.Wired()) {
            EXPECT_TRUE(library.Set_DUT_CS_Pin(config.cs.pin, config.cs.activeHigh));
        }
        if (config.busy.Wired()) {
            EXPECT_TRUE(library.Set_DUT_BUSY_Pin(config.busy.pin, config.busy.activeHigh));
        }
    }

    // What the protocol checker and the port saw go wrong on the bus.
    std::vector<std::string> BusFaults()
    {
        std::vector<std::string> faults = dut->Violations();
        if (lpt1().ContentionCount() != 0) {
            faults.push_back("contention counted by the port");
        }
        return faults;
    }

    std::vector<std::uint8_t> ControlWrites() const
    {
        std::vector<std::uint8_t> values;
        for (const auto& a : accesses()) {
            if (a.kind == sim::AccessKind::kWriteByte && a.address == 0x37A) {
                values.push_back(static_cast<std::uint8_t>(a.value));
            }
        }
        return values;
    }

    sim::DutConfig config;
    std::optional<sim::DutModel> dut;
};

inline constexpr const char kWorkedWiring[] = "wr=1-,rd=14-,addr=16+,cs=17-";

}  // namespace olvbus::test

#endif  // OLVBUS_TESTS_DUT_BOARD_H
