// Strobe pin assignment with the control masks it derives, and the BUSY
// handshake settings.
#include <gtest/gtest.h>

#include <array>
#include <cstdint>

#include "tests/support/sim_board.h"

namespace olvbus::test {
namespace {

// The ten masks in getter order: Addr_Idle OR/AND, Addr_Wr, Data_Idle, Data_Wr, Data_Rd.
using Masks = std::array<int, 10>;

Masks MasksOf(const Library& lib)
{
    return {lib.Get_DUT_Control_Addr_Idle_OR(), lib.Get_DUT_Control_Addr_Idle_AND(),
            lib.Get_DUT_Control_Addr_Wr_OR(),   lib.Get_DUT_Control_Addr_Wr_AND(),
            lib.Get_DUT_Control_Data_Idle_OR(), lib.Get_DUT_Control_Data_Idle_AND(),
            lib.Get_DUT_Control_Data_Wr_OR(),   lib.Get_DUT_Control_Data_Wr_AND(),
            lib.Get_DUT_Control_Data_Rd_OR(),   lib.Get_DUT_Control_Data_Rd_AND()};
}

TEST(StrobePins, NothingAssignedAtLoadAndEveryMaskIsZero)
{
    SimBoard board;
    EXPECT_EQ(MasksOf(board.library), Masks{});
}

TEST(StrobePins, WorkedExampleWiringGivesItsMasks)
{
    SimBoard board;
    Library& lib = board.library;
    EXPECT_TRUE(lib.Set_DUT_WR_Pin(1, false));
    EXPECT_TRUE(lib.Set_DUT_RD_Pin(14, false));
    EXPECT_TRUE(lib.Set_DUT_ADDR_Pin(16, true));
    EXPECT_TRUE(lib.Set_DUT_CS_Pin(17, false));
    EXPECT_EQ(MasksOf(lib), (Masks{0x0C, 0xFC, 0x0D, 0xFD, 0x08, 0xD8, 0x09, 0xF9, 0x2A, 0xFA}));
}

TEST(StrobePins, PinAndPolarityDecideWhichByteCarriesTheBit)
{
    struct Case {
        int pin;
        std::int32_t activeHigh;
        std::uint8_t set;
        std::uint8_t clear;
    };
    const Case cases[] = {
        {16, 1, 0x04, 0},  {16, 0, 0, 0x04}, {1, 1, 0, 0x01},  {1, 0, 0x01, 0},
        {14, 0, 0x02, 0},  {17, 1, 0, 0x08}, {16, 256, 0, 0x04},  // only the low byte counts
        {16, 0x101, 0x04, 0},
    };
    for (const Case& c : cases) {
        SimBoard board;
        board.library.Set_DUT_WR_Pin(16, true);  // a previous assignment to be replaced
        EXPECT_TRUE(board.library.Set_DUT_WR_Pin(c.pin, c.activeHigh));
        EXPECT_EQ(board.state().setToAssert[kStrobeWr], c.set) << "pin " << c.pin << " high " << c.activeHigh;
        EXPECT_EQ(board.state().clearToAssert[kStrobeWr], c.clear) << "pin " << c.pin << " high " << c.activeHigh;
    }
}

TEST(StrobePins, RejectedPinUnassignsTheStrobeButKeepsTheMasksUntilTheNextAssignment)
{
    for (int pin : {2, 15, 0, 257, -1}) {
        SimBoard board;
        Library& lib = board.library;
        lib.Set_DUT_WR_Pin(1, false);
        lib.Set_DUT_CS_Pin(17, false);
        const Masks before = MasksOf(lib);
        EXPECT_FALSE(lib.Set_DUT_WR_Pin(pin, false)) << pin;
        EXPECT_EQ(board.state().setToAssert[kStrobeWr], 0);
        EXPECT_EQ(board.state().clearToAssert[kStrobeWr], 0);
        EXPECT_EQ(MasksOf(lib), before) << pin;
        lib.Set_DUT_CS_Pin(17, false);  // recomputed without WR: only CS left
        EXPECT_EQ(MasksOf(lib), (Masks{0x08, 0xFF, 0x08, 0xFF, 0x08, 0xDF, 0x08, 0xFF, 0x28, 0xFF})) << pin;
    }
}

TEST(StrobePins, DataEnableMaskReachesTheMasksOnlyAtTheNextAssignment)
{
    SimBoard board;
    Library& lib = board.library;
    lib.Set_DUT_CS_Pin(17, false);
    lib.Set_Data_Enable_Mask(0x10);
    EXPECT_EQ(lib.Get_DUT_Control_Data_Idle_AND(), 0xDF);
    EXPECT_EQ(lib.Get_DUT_Control_Data_Rd_OR(), 0x28);
    lib.Set_DUT_RD_Pin(3, false);  // a rejected pin does not recompute either
    EXPECT_EQ(lib.Get_DUT_Control_Data_Rd_OR(), 0x28);
    lib.Set_DUT_CS_Pin(17, false);
    EXPECT_EQ(lib.Get_DUT_Control_Data_Idle_AND(), 0xEF);
    EXPECT_EQ(lib.Get_DUT_Control_Data_Rd_OR(), 0x18);
}

TEST(StrobePins, TwoStrobesOnOnePinLetTheOrMaskWin)
{
    SimBoard board;
    Library& lib = board.library;
    lib.Set_DUT_WR_Pin(16, true);
    lib.Set_DUT_RD_Pin(16, true);
    // Addr_Wr asserts WR and releases RD on the same bit: set by OR after AND.
    EXPECT_EQ(lib.Get_DUT_Control_Addr_Wr_OR(), 0x04);
    EXPECT_EQ(lib.Get_DUT_Control_Addr_Wr_AND(), 0xFB);
    EXPECT_EQ((0x00 & lib.Get_DUT_Control_Addr_Wr_AND()) | lib.Get_DUT_Control_Addr_Wr_OR(), 0x04);
}

struct BusySettings {
    int mask;
    int state1;
    int state2;
    bool operator==(const BusySettings&) const = default;
};

BusySettings BusyOf(const Library& lib)
{
    return {lib.Get_DUT_BUSY_MASK(), lib.Get_DUT_BUSY_STATE_1(), lib.Get_DUT_BUSY_STATE_2()};
}

void PrintTo(const BusySettings& b, std::ostream* os)
{
    *os << "mask " << b.mask << " state1 " << b.state1 << " state2 " << b.state2;
}

TEST(BusySettings, DefaultsAtLoad)
{
    SimBoard board;
    EXPECT_EQ(BusyOf(board.library), (BusySettings{0, 0, 0}));
    EXPECT_EQ(board.library.Get_DUT_BUSY_Timeout(), 1000000);
    EXPECT_EQ(board.library.Get_DUT_BUSY_Highest_Count(), 0);
}

TEST(BusySettings, ReadyValueFollowsPinInversionAndPolarity)
{
    struct Case {
        int pin;
        std::int32_t activeHigh;
        BusySettings expected;
    };
    const Case cases[] = {
        {11, 1, {0x80, 0x80, 0x80}}, {11, 0, {0x80, 0, 0}},       {10, 1, {0x40, 0, 0}},
        {10, 0, {0x40, 0x40, 0x40}}, {12, 0, {0x20, 0x20, 0x20}}, {13, 1, {0x10, 0, 0}},
        {15, 0, {0x08, 0x08, 0x08}}, {15, 0x100, {0x08, 0x08, 0x08}},
    };
    for (const Case& c : cases) {
        SimBoard board;
        EXPECT_TRUE(board.library.Set_DUT_BUSY_Pin(c.pin, c.activeHigh));
        EXPECT_EQ(BusyOf(board.library), c.expected) << "pin " << c.pin << " high " << c.activeHigh;
    }
}

TEST(BusySettings, RejectedPinLeavesNoBusyPin)
{
    for (int pin : {14, 9, 16, 0, 267}) {
        SimBoard board;
        board.library.Set_DUT_BUSY_Pin(10, false);
        EXPECT_FALSE(board.library.Set_DUT_BUSY_Pin(pin, false)) << pin;
        EXPECT_EQ(BusyOf(board.library), (BusySettings{0, 0, 0})) << pin;
    }
}

TEST(BusySettings, EdgeAndLevelSyncComputeFromTheReadyValue)
{
    SimBoard board;
    Library& lib = board.library;
    EXPECT_TRUE(lib.Set_DUT_BUSY_EdgeSync());  // no BUSY pin: nothing to flip
    EXPECT_EQ(BusyOf(lib), (BusySettings{0, 0, 0}));

    lib.Set_DUT_BUSY_Pin(10, false);
    EXPECT_TRUE(lib.Set_DUT_BUSY_EdgeSync());
    EXPECT_TRUE(lib.Set_DUT_BUSY_EdgeSync());  // repeated: no further change
    EXPECT_EQ(BusyOf(lib), (BusySettings{0x40, 0x00, 0x40}));
    EXPECT_TRUE(lib.Set_DUT_BUSY_LevelSync());
    EXPECT_EQ(BusyOf(lib), (BusySettings{0x40, 0x40, 0x40}));

    lib.Set_DUT_BUSY_EdgeSync();
    lib.Set_DUT_BUSY_Pin(11, true);  // choosing the pin returns to level sync
    EXPECT_EQ(BusyOf(lib), (BusySettings{0x80, 0x80, 0x80}));
}

TEST(BusySettings, TimeoutIsStoredUncheckedAndHighestCountClears)
{
    SimBoard board;
    Library& lib = board.library;
    for (std::int32_t limit : {0, -5, INT32_MAX, 3}) {
        lib.Set_DUT_BUSY_Timeout(limit);
        EXPECT_EQ(lib.Get_DUT_BUSY_Timeout(), limit);
    }
    board.state().busyHighestCount = 17;
    lib.Clear_DUT_BUSY_Highest_Count();
    EXPECT_EQ(lib.Get_DUT_BUSY_Highest_Count(), 0);
}

}  // namespace
}  // namespace olvbus::test
