// The device model on its own: its wiring text, and the protocol checker
// catching a PC that drives the bus wrongly (driven here register by register).
#include <gtest/gtest.h>

#include <string>

#include "sim/dut_model.h"
#include "sim/parallel_port.h"

namespace olvbus::sim {
namespace {

TEST(DutWiring, ParsesSignalsAndOptions)
{
    std::string error;
    const auto config = ParseDutConfig("wr=1-,rd=14-,addr=16+,cs=17-,busy=11+,busypolls=3,lpt=2", error);
    ASSERT_TRUE(config) << error;
    EXPECT_EQ(config->wr.pin, 1);
    EXPECT_FALSE(config->wr.activeHigh);
    EXPECT_TRUE(config->addr.activeHigh);
    EXPECT_EQ(config->busy.pin, 11);
    EXPECT_EQ(config->busyPolls, 3);
    EXPECT_EQ(config->lpt, 2);

    const auto pulse = ParseDutConfig("wr=1-,rd=14-,addr=16+,pulse=5", error);
    ASSERT_TRUE(pulse) << error;
    EXPECT_EQ(pulse->busyPolls, 1) << "a pulse lasts at least one poll";
}

TEST(DutWiring, RejectsWhatItCannotWire)
{
    for (const char* text : {"", "wr=1-,rd=14-", "wr=2-,rd=14-,addr=16+", "wr=1-,rd=14-,addr=16+,busy=14+",
                             "wr=1,rd=14-,addr=16+", "wr=1-,rd=14-,addr=16+,speed=3", "wr=1-,rd=14-,addr=16+,lpt=4",
                             "wr=1-,rd=14-,addr=16+,busypolls=-1", "wr=1-;rd=14-;addr=16+"}) {
        std::string error;
        EXPECT_FALSE(ParseDutConfig(text, error)) << text;
        EXPECT_FALSE(error.empty()) << text;
    }
}

// The worked wiring: WR pin 1 low, RD pin 14 low, ADDR pin 16 high, CS pin 17 low.
// Control values: 0x01 WR, 0x02 RD, 0x04 ADDR, 0x08 CS, 0x20 data lines released.
class Checker : public ::testing::Test {
protected:
    Checker() : dut(Config(), port) { port.Attach(&dut); }
    ~Checker() override { port.Attach(nullptr); }

    static DutConfig Config()
    {
        std::string error;
        return *ParseDutConfig("wr=1-,rd=14-,addr=16+,cs=17-,busy=11+,busypolls=1", error);
    }
    void Control(std::uint8_t value) { port.Write(ParallelPort::kControlOffset, value); }
    void Poll(int times)
    {
        for (int i = 0; i < times; ++i) {
            port.Read(ParallelPort::kStatusOffset);
        }
    }
    bool Saw(const std::string& what) const
    {
        for (const std::string& v : dut.Violations()) {
            if (v.find(what) != std::string::npos) {
                return true;
            }
        }
        return false;
    }

    ParallelPort port{0x378};
    DutModel dut;
};

TEST_F(Checker, CleanCycleLatchesAddressAndData)
{
    Poll(2);
    Control(0x0D);
    port.Write(ParallelPort::kDataOffset, 0x12);
    Control(0x0C);
    Poll(2);
    Control(0x09);
    port.Write(ParallelPort::kDataOffset, 0x34);
    Control(0x08);
    EXPECT_EQ(dut.Register(0x12), 0x34);
    EXPECT_TRUE(dut.Violations().empty()) << dut.Violations()[0];
}

TEST_F(Checker, FlagsEachBreachOfTheProtocol)
{
    Control(0x01);  // WR without CS
    EXPECT_TRUE(Saw("WR asserted while CS is released"));
    Control(0x00);
    Control(0x0D);  // WR before the device's first ready poll
    EXPECT_TRUE(Saw("WR asserted while the device is busy"));
    Control(0x09);  // ADDR dropped in the middle of WR
    EXPECT_TRUE(Saw("ADDR changed during a strobe"));
    Control(0x29);
    Control(0x28);  // WR let go while the lines were released
    EXPECT_TRUE(Saw("WR released while the PC was not driving the data lines"));
    Poll(2);
    Control(0x0A);  // RD while the PC still drives the lines
    EXPECT_TRUE(Saw("data lines driven by the PC and the device at once"));
    EXPECT_GT(port.ContentionCount(), 0u);
    Control(0x0B);
    EXPECT_TRUE(Saw("WR and RD asserted together"));
}

TEST_F(Checker, BusyLastsItsPollsAfterPowerOnAndAfterEachPhase)
{
    // busy=11+: the pin is high while busy, and the port shows bit 7 clear then.
    EXPECT_EQ(port.Read(ParallelPort::kStatusOffset) & 0x80, 0x00);
    EXPECT_EQ(port.Read(ParallelPort::kStatusOffset) & 0x80, 0x80);
    Control(0x0D);
    Control(0x0C);  // the address phase ends: busy again for one poll
    EXPECT_EQ(port.Read(ParallelPort::kStatusOffset) & 0x80, 0x00);
    EXPECT_EQ(port.Read(ParallelPort::kStatusOffset) & 0x80, 0x80);
    EXPECT_EQ(dut.StatusReads(), 4u);
}

}  // namespace
}  // namespace olvbus::sim
