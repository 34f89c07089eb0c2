// DUT register cycles end to end: the library drives the simulated port, a
// device model plugged into the connector decodes the pins and answers, and
// its protocol checker watches every cycle. Each test runs on both families.
#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "common/olvexpin_contract.h"
#include "tests/integration/dut_board.h"

namespace olvbus::test {
namespace {

using sim::OsFamily;

class DutCycles : public ::testing::TestWithParam<OsFamily> {};

std::string FamilyName(const ::testing::TestParamInfo<OsFamily>& info)
{
    return info.param == OsFamily::kNt ? "Nt" : "Win9x";
}

TEST_P(DutCycles, WrittenRegistersReadBackThroughTheBus)
{
    DutBoard board(GetParam(), std::string(kWorkedWiring) + ",busy=11+");
    const std::pair<int, int> values[] = {{0x12, 0x34}, {0x00, 0xFF}, {0xFF, 0x00}, {0x80, 0x5A}};
    for (const auto& [address, data] : values) {
        EXPECT_TRUE(board.library.Try_DUT_Register_Write(address, data));
        EXPECT_EQ(board.dut->Register(static_cast<std::uint8_t>(address)), data) << address;
    }
    for (const auto& [address, data] : values) {
        std::int32_t value = -1;
        EXPECT_TRUE(board.library.Try_DUT_Register_Read(address, &value));
        EXPECT_EQ(value, data) << address;
        EXPECT_EQ(board.state().dataShadow, data);
    }
    EXPECT_EQ(board.dut->Writes(), 4u);
    EXPECT_EQ(board.dut->Reads(), 4u);
    EXPECT_EQ(board.BusFaults(), std::vector<std::string>{});
    EXPECT_EQ(board.trace().substr(0, 37), "\nTry_DUT_Register_Write(18,52)=true\nT");
    EXPECT_NE(board.trace().find("\nTry_DUT_Register_Read(18,int*)=true (*ptr=52)"), std::string::npos);
}

TEST_P(DutCycles, WorkedExampleStepsTheControlRegisterThroughItsSixAccesses)
{
    DutBoard board(GetParam(), kWorkedWiring);
    const std::uint16_t status = board.lpt1().StatusRegister();
    ASSERT_TRUE(board.library.Try_DUT_Register_Write(0x12, 0x34));
    EXPECT_EQ(board.accesses(), (std::vector<sim::PortAccessRecord>{
                                    Rd(0x379, status), Rd(0x379, status), Wr(0x37A, 0x0D), Wr(0x378, 0x12),
                                    Wr(0x37A, 0x0C), Rd(0x379, status), Rd(0x379, status), Wr(0x37A, 0x09),
                                    Wr(0x378, 0x34), Wr(0x37A, 0x08)}));
    EXPECT_EQ(board.state().controlShadow, 0x08);
    EXPECT_EQ(board.state().dataShadow, 0x34);

    board.pc.io.ClearAccesses();
    board.state().controlShadow = 0x00;  // the worked read starts from 0x00 as well
    std::int32_t value = 0;
    ASSERT_TRUE(board.library.Try_DUT_Register_Read(0x12, &value));
    EXPECT_EQ(board.accesses(), (std::vector<sim::PortAccessRecord>{
                                    Rd(0x379, status), Rd(0x379, status), Wr(0x37A, 0x0D), Wr(0x378, 0x12),
                                    Wr(0x37A, 0x0C), Rd(0x379, status), Rd(0x379, status), Wr(0x37A, 0x2A),
                                    Rd(0x378, 0x34), Wr(0x37A, 0x08)}));
    EXPECT_EQ(value, 0x34);
    // The latch still holds the address byte; the shadow holds what was read.
    EXPECT_EQ(board.lpt1().DataLatch(), 0x12);
    EXPECT_EQ(board.state().dataShadow, 0x34);
    EXPECT_EQ(board.BusFaults(), std::vector<std::string>{});
}

TEST_P(DutCycles, OtherWiringsAndEveryBusyPinAndPolarity)
{
    const char* wirings[] = {
        "wr=16+,rd=17+,addr=1-,cs=14+,busy=10+", "wr=14-,rd=1-,addr=17+,cs=16-,busy=10-",
        "wr=17+,rd=16-,addr=14-,busy=11+",  // no chip select: always selected
        "wr=1+,rd=14+,addr=16-,cs=17+,busy=11-", "wr=1-,rd=14-,addr=16+,cs=17-,busy=12+",
        "wr=1-,rd=14-,addr=16+,cs=17-,busy=12-", "wr=1-,rd=14-,addr=16+,cs=17-,busy=13+",
        "wr=1-,rd=14-,addr=16+,cs=17-,busy=13-", "wr=1-,rd=14-,addr=16+,cs=17-,busy=15+",
        "wr=1-,rd=14-,addr=16+,cs=17-,busy=15-",
    };
    constexpr int kBusyPolls = 2;
    for (const char* wiring : wirings) {
        DutBoard board(GetParam(), std::string(wiring) + ",busypolls=" + std::to_string(kBusyPolls));
        EXPECT_TRUE(board.library.Try_DUT_Register_Write(0x21, 0xC3)) << wiring;
        EXPECT_TRUE(board.library.Try_DUT_Register_Write(0x42, 0x3C)) << wiring;
        std::int32_t first = -1;
        std::int32_t second = -1;
        EXPECT_TRUE(board.library.Try_DUT_Register_Read(0x21, &first)) << wiring;
        EXPECT_TRUE(board.library.Try_DUT_Register_Read(0x42, &second)) << wiring;
        EXPECT_EQ(first, 0xC3) << wiring;
        EXPECT_EQ(second, 0x3C) << wiring;
        // Level sync: busy for N polls, one ready poll, one more for the second wait.
        EXPECT_EQ(board.dut->StatusReads(), 4u * (2 * kBusyPolls + 4)) << wiring;
        EXPECT_EQ(board.BusFaults(), std::vector<std::string>{}) << wiring;
    }
}

TEST_P(DutCycles, EdgeSyncWaitsForBusyAndThenForReady)
{
    DutBoard board(GetParam(), std::string(kWorkedWiring) + ",busy=11+,busypolls=3");
    board.library.Set_DUT_BUSY_EdgeSync();
    EXPECT_TRUE(board.library.Try_DUT_Register_Write(7, 77));
    std::int32_t value = 0;
    EXPECT_TRUE(board.library.Try_DUT_Register_Read(7, &value));
    EXPECT_EQ(value, 77);
    // Per phase: the first busy poll ends wait one, N - 1 busy and one ready end wait two.
    EXPECT_EQ(board.dut->StatusReads(), 2u * 2 * (3 + 1));
    EXPECT_EQ(board.BusFaults(), std::vector<std::string>{});
}

TEST_P(DutCycles, PulsingBusyIsMetByEdgeSyncButNotByLevelSync)
{
    const std::string wiring = std::string(kWorkedWiring) + ",busy=11+,pulse=4,busypolls=2";
    {
        DutBoard board(GetParam(), wiring);
        board.library.Set_DUT_BUSY_EdgeSync();
        EXPECT_TRUE(board.library.Try_DUT_Register_Write(9, 99));
        EXPECT_EQ(board.dut->Register(9), 99);
        EXPECT_EQ(board.dut->StatusReads(), 2u * (4 + 2 + 1));
        EXPECT_EQ(board.BusFaults(), std::vector<std::string>{});
    }
    DutBoard board(GetParam(), wiring);
    board.library.Try_DUT_Register_Write(9, 99);  // level sync starts before the pulse
    ASSERT_FALSE(board.dut->Violations().empty());
    EXPECT_NE(board.dut->Violations()[0].find("WR asserted while the device is busy"), std::string::npos)
        << board.dut->Violations()[0];
}

struct TimeoutCase {
    std::int32_t limit;
    std::int32_t polls;
    bool addressPhaseWritten;
};

TEST_P(DutCycles, TimeOutAtEachOfTheFourWaits)
{
    // No BUSY pin: every wait ends on its first poll, so the limit picks the wait.
    const TimeoutCase cases[] = {{0, 1, false}, {-7, 1, false}, {1, 2, false}, {2, 3, true}, {3, 4, true}};
    for (const TimeoutCase& c : cases) {
        for (bool read : {false, true}) {
            DutBoard board(GetParam(), kWorkedWiring);
            board.library.Set_DUT_BUSY_Timeout(c.limit);
            std::int32_t value = -12345;
            const bool result = read ? board.library.Try_DUT_Register_Read(0x1234, &value)
                                     : board.library.Try_DUT_Register_Write(0x1234, 0x56);
            const std::string label = "limit " + std::to_string(c.limit) + (read ? " read" : " write");
            EXPECT_FALSE(result) << label;
            EXPECT_EQ(value, -12345) << label;
            EXPECT_EQ(board.dut->StatusReads(), static_cast<std::uint64_t>(c.polls)) << label;
            EXPECT_EQ(board.library.Get_DUT_BUSY_Highest_Count(), c.polls) << label;
            // The shadows say B and the address byte whichever wait ran out.
            EXPECT_EQ(board.state().controlShadow, 0x0C) << label;
            EXPECT_EQ(board.state().dataShadow, 0x34) << label;
            EXPECT_EQ(board.lpt1().ControlRegister(), c.addressPhaseWritten ? 0x0C : 0x00) << label;
            EXPECT_EQ(board.lpt1().DataLatch(), c.addressPhaseWritten ? 0x34 : 0x00) << label;
            EXPECT_EQ(board.dut->LatchedAddress(), c.addressPhaseWritten ? 0x34 : 0x00) << label;
            EXPECT_EQ(board.trace(), read ? "\nTry_DUT_Register_Read(4660,int*)=false (*ptr=unchanged)"
                                          : "\nTry_DUT_Register_Write(4660,86)=false")
                << label;
            EXPECT_EQ(board.BusFaults(), std::vector<std::string>{}) << label;
        }
    }
}

TEST_P(DutCycles, BusyDeviceTimesOutAndHighestCountKeepsTheLargest)
{
    DutBoard board(GetParam(), std::string(kWorkedWiring) + ",busy=11-,busypolls=10");
    board.library.Set_DUT_BUSY_Timeout(5);
    EXPECT_FALSE(board.library.Try_DUT_Register_Write(1, 2));
    EXPECT_EQ(board.library.Get_DUT_BUSY_Highest_Count(), 6);
    board.library.Set_DUT_BUSY_Timeout(2);
    EXPECT_FALSE(board.library.Try_DUT_Register_Write(1, 2));
    EXPECT_EQ(board.library.Get_DUT_BUSY_Highest_Count(), 6);
    EXPECT_TRUE(board.ControlWrites().empty());

    board.library.Set_DUT_BUSY_Timeout(1000);  // the device is ready after its ten polls
    EXPECT_TRUE(board.library.Try_DUT_Register_Write(1, 2));
    EXPECT_EQ(board.library.Get_DUT_BUSY_Highest_Count(), 6);
    EXPECT_EQ(board.dut->Register(1), 2);
}

TEST_P(DutCycles, EdgeSyncWithADeviceThatNeverShowsBusyTimesOutBeforeWriting)
{
    DutBoard board(GetParam(), std::string(kWorkedWiring) + ",busy=13+");
    board.library.Set_DUT_BUSY_EdgeSync();
    board.library.Set_DUT_BUSY_Timeout(50);
    EXPECT_FALSE(board.library.Try_DUT_Register_Write(1, 2));
    EXPECT_EQ(board.dut->StatusReads(), 51u);
    EXPECT_TRUE(board.ControlWrites().empty());
}

TEST_P(DutCycles, CycleStartingWithTheDataLinesReleasedStillDrivesAddressAndData)
{
    DutBoard board(GetParam(), kWorkedWiring);
    board.library.Set_Data_Enable(0);
    ASSERT_EQ(board.state().controlShadow, 0x20);
    board.pc.io.ClearAccesses();
    EXPECT_TRUE(board.library.Try_DUT_Register_Write(0x12, 0x34));
    EXPECT_EQ(board.dut->Register(0x12), 0x34);
    EXPECT_EQ(board.ControlWrites(), (std::vector<std::uint8_t>{0x0D, 0x0C, 0x09, 0x08}));

    board.library.Set_Data_Enable(0);
    std::int32_t value = 0;
    EXPECT_TRUE(board.library.Try_DUT_Register_Read(0x12, &value));
    EXPECT_EQ(value, 0x34);
    EXPECT_EQ(board.BusFaults(), std::vector<std::string>{});
}

TEST_P(DutCycles, OnlyTheLowByteOfAddressAndDataReachesTheBus)
{
    DutBoard board(GetParam(), kWorkedWiring);
    EXPECT_TRUE(board.library.Try_DUT_Register_Write(0x1234, 0x1A5));
    EXPECT_EQ(board.dut->Register(0x34), 0xA5);
    std::int32_t value = 0;
    EXPECT_TRUE(board.library.Try_DUT_Register_Read(-204, &value));  // 0xFFFFFF34
    EXPECT_EQ(value, 0xA5);
    EXPECT_EQ(board.trace(),
              "\nTry_DUT_Register_Write(4660,421)=true\nTry_DUT_Register_Read(-204,int*)=true (*ptr=165)");
}

TEST_P(DutCycles, NullValueRunsTheReadAndStoresTheByteOnlyInTheShadow)
{
    DutBoard board(GetParam(), kWorkedWiring);
    board.dut->SetRegister(0x40, 0x99);
    EXPECT_TRUE(board.library.Try_DUT_Register_Read(0x40, nullptr));
    EXPECT_EQ(board.state().dataShadow, 0x99);
    EXPECT_EQ(board.dut->Reads(), 1u);
    EXPECT_EQ(board.trace(), "\nTry_DUT_Register_Read(64,int*)=true (*ptr=153)");
}

TEST_P(DutCycles, NoPortOpenMeansNoAccessAndNoOutcome)
{
    DutBoard board(GetParam(), kWorkedWiring);
    board.state().portBase = 0;
    std::int32_t value = -1;
    EXPECT_FALSE(board.library.Try_DUT_Register_Write(1, 2));
    EXPECT_FALSE(board.library.Try_DUT_Register_Read(1, &value));
    EXPECT_EQ(value, -1);
    EXPECT_TRUE(board.accesses().empty());
    EXPECT_EQ(board.trace(), "\nTry_DUT_Register_Write(1,2)\nTry_DUT_Register_Read(1,int*)");
}

INSTANTIATE_TEST_SUITE_P(BothFamilies, DutCycles, ::testing::Values(OsFamily::kWin9x, OsFamily::kNt), FamilyName);

TEST(DutCyclesOnNt, WithoutADriverHandleNothingIsAttempted)
{
    DutBoard board(OsFamily::kNt, kWorkedWiring, /*select=*/false);
    std::int32_t value = -1;
    EXPECT_FALSE(board.library.Try_DUT_Register_Write(1, 2));
    EXPECT_FALSE(board.library.Try_DUT_Register_Read(1, &value));
    EXPECT_EQ(value, -1);
    EXPECT_TRUE(board.accesses().empty());
    EXPECT_TRUE(board.boxTexts().empty());
    EXPECT_EQ(board.state().controlShadow, 0);
    EXPECT_EQ(board.library.Get_DUT_BUSY_Highest_Count(), 0);
    EXPECT_EQ(board.trace(), "\nTry_DUT_Register_Write(1,2)=false\nTry_DUT_Register_Read(1,int*)=false (*ptr=unchanged)");
}

TEST(DutCyclesOnNt, AFailedRequestFailsTheCycleWithoutABox)
{
    DutBoard board(OsFamily::kNt, kWorkedWiring);
    board.pc.os.FailRequests({IOCTL_OLVEXPINXA_DATA, 1});  // the address byte never arrives
    EXPECT_FALSE(board.library.Try_DUT_Register_Write(0x12, 0x34));
    EXPECT_TRUE(board.boxTexts().empty());
    // The cycle still stepped the bus back to Data_Idle.
    EXPECT_EQ(board.lpt1().ControlRegister(), 0x08);

    board.pc.os.FailRequests({IOCTL_OLVEXPINXA_DATA, 1});  // this time the byte read
    std::int32_t value = -1;
    EXPECT_FALSE(board.library.Try_DUT_Register_Read(0x12, &value));
    EXPECT_EQ(value, -1);

    EXPECT_TRUE(board.library.Try_DUT_Register_Write(0x12, 0x34));
    EXPECT_EQ(board.dut->Register(0x12), 0x34);
    EXPECT_EQ(board.trace().substr(0, 36), "\nTry_DUT_Register_Write(18,52)=false");
}

TEST(DutCyclesOnNt, FailedStatusRequestComparesThePreviousReplyAgain)
{
    DutBoard board(OsFamily::kNt, std::string(kWorkedWiring) + ",busy=11-");  // ready: pin high, bit 7 clear
    board.library.Set_DUT_BUSY_Timeout(10);
    board.pc.os.FailRequests({IOCTL_OLVEXPINXA_STATUS, -1});
    // The reply byte still holds 0 from process start, which is the ready value.
    EXPECT_FALSE(board.library.Try_DUT_Register_Write(1, 2));
    EXPECT_EQ(board.dut->StatusReads(), 0u);
    EXPECT_EQ(board.library.Get_DUT_BUSY_Highest_Count(), 0) << "the stale value ended every wait";
}

TEST(DutCyclesOnWin9x, DefaultLimitTimesOutAfterOneMillionAndOnePolls)
{
    DutBoard board(OsFamily::kWin9x, std::string(kWorkedWiring) + ",busy=11+,busypolls=2000000");
    board.pc.io.Record(false);
    EXPECT_FALSE(board.library.Try_DUT_Register_Write(1, 2));
    EXPECT_EQ(board.library.Get_DUT_BUSY_Highest_Count(), 1000001);
    board.library.Clear_DUT_BUSY_Highest_Count();
    board.library.Set_DUT_BUSY_Pin(0, false);  // stop listening to BUSY
    board.dut->ClearViolations();
    EXPECT_TRUE(board.library.Try_DUT_Register_Read(1, nullptr));
    EXPECT_EQ(board.library.Get_DUT_BUSY_Highest_Count(), 0);
}

}  // namespace
}  // namespace olvbus::test
