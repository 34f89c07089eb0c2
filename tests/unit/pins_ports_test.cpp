// Printer pins by number and level, register offsets, and raw I/O ports.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "common/olvexpin_contract.h"
#include "tests/support/sim_board.h"

namespace olvbus::test {
namespace {

using sim::OsFamily;

struct Selected : SimBoard {
    explicit Selected(OsFamily family = OsFamily::kWin9x, int port = 1) : SimBoard(Family(family))
    {
        library.Select_LPT_123(port);
        pc.io.ClearAccesses();
        library.Trace_Begin();
    }
};

constexpr int kWritablePins[] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 14, 16, 17};
constexpr int kInputPins[] = {10, 11, 12, 13, 15};

TEST(PrinterPins, WrittenLevelAppearsAtTheConnectorOnBothFamilies)
{
    for (OsFamily family : {OsFamily::kWin9x, OsFamily::kNt}) {
        Selected board(family);
        for (int pin : kWritablePins) {
            for (int level : {1, 0, 7}) {
                board.library.DirectWritePrinterPin(pin, level);
                EXPECT_EQ(board.lpt1().PinLevel(pin), level != 0) << "pin " << pin << " level " << level;
                EXPECT_EQ(board.library.DirectReadPrinterPin(pin), level != 0 ? 1 : 0) << "pin " << pin;
            }
        }
    }
}

TEST(PrinterPins, InversionDecidesTheRegisterBit)
{
    struct Case {
        int pin;
        int level;
        std::uint8_t control;  // after the write, from 0x00
        std::uint8_t data;
    };
    const Case cases[] = {
        {1, 1, 0x00, 0}, {1, 0, 0x01, 0}, {16, 1, 0x04, 0}, {14, 0, 0x02, 0}, {17, 1, 0x00, 0},
        {5, 7, 0x00, 0x08}, {9, 1, 0x00, 0x80},
    };
    for (const Case& c : cases) {
        Selected board;
        board.library.DirectWritePrinterPin(c.pin, c.level);
        EXPECT_EQ(board.state().controlShadow, c.control) << "pin " << c.pin << " level " << c.level;
        EXPECT_EQ(board.state().dataShadow, c.data) << "pin " << c.pin << " level " << c.level;
    }
}

TEST(PrinterPins, DataPinTakesTheDataLinesFirstWhenReleased)
{
    Selected board;
    board.library.Set_Data_Enable(0);
    board.library.Trace_Begin();
    board.library.DirectWritePrinterPin(5, 1);
    EXPECT_EQ(board.trace(), "\nDirectWritePrinterPin(5,1)\nSet_Data_Enable(1)\nSet_Control(0)\nSet_Data(8)");
    EXPECT_TRUE(board.lpt1().PcDrivesData());

    board.library.Trace_Begin();
    board.library.DirectWritePrinterPin(2, 1);
    EXPECT_EQ(board.trace(), "\nDirectWritePrinterPin(2,1)\nSet_Data(9)");
}

TEST(PrinterPins, InputAndOutOfRangePinsAreRefusedWithoutTouchingAnything)
{
    struct Case {
        int pin;
        const char* status;
    };
    const Case cases[] = {{11, "(failed: read-only pin)"}, {15, "(failed: read-only pin)"},
                          {0, "(failed: pin out of range)"}, {18, "(failed: pin out of range)"},
                          {-1, "(failed: pin out of range)"}};
    for (const Case& c : cases) {
        Selected board;
        board.state().controlShadow = 0x5A;
        board.state().dataShadow = 0xA5;
        board.library.DirectWritePrinterPin(c.pin, 1);
        EXPECT_EQ(board.trace(), "\nDirectWritePrinterPin(" + std::to_string(c.pin) + ",1)" + c.status);
        EXPECT_TRUE(board.accesses().empty()) << c.pin;
        EXPECT_EQ(board.state().controlShadow, 0x5A);
        EXPECT_EQ(board.state().dataShadow, 0xA5);
    }
    Selected board;
    EXPECT_EQ(board.library.DirectReadPrinterPin(25), 0);
    EXPECT_EQ(board.trace(), "\nDirectReadPrinterPin(25)=0 (failed: pin out of range)");
}

TEST(PrinterPins, InputPinsReadTheLevelAtTheConnector)
{
    for (int pin : kInputPins) {
        for (bool high : {true, false}) {
            Selected board;
            board.lpt1().SetInputPin(pin, high);
            EXPECT_EQ(board.library.DirectReadPrinterPin(pin), high ? 1 : 0) << "pin " << pin;
        }
    }
    Selected board;
    board.lpt1().SetInputPin(11, true);  // status bit 7 reads 0
    board.library.DirectReadPrinterPin(11);
    EXPECT_EQ(board.trace(), "\nDirectReadPrinterPin(11)\nGet_Status()=127=1 ");
}

TEST(PrinterPins, ControlPinReadsTheShadowWithoutAPortAccess)
{
    Selected board;
    board.library.DirectWritePrinterPin(14, 1);
    board.pc.io.ClearAccesses();
    EXPECT_EQ(board.library.DirectReadPrinterPin(14), 1);
    EXPECT_TRUE(board.accesses().empty());
}

TEST(PrinterPins, DataPinReadWithLinesReleasedReplacesTheShadow)
{
    Selected board;
    board.library.Set_Data(0x00);
    board.library.Set_Data_Enable(0);  // nobody drives: the lines float high
    EXPECT_EQ(board.library.DirectReadPrinterPin(3), 1);
    EXPECT_EQ(board.state().dataShadow, 0xFF);
}

TEST(RawPorts, RegisterOffsetsOnBothBackEnds)
{
    Selected nine(OsFamily::kWin9x, 2);
    EXPECT_EQ(nine.library.Get_Register(1), nine.library.Get_Status());
    nine.pc.io.ClearAccesses();
    nine.library.Get_Register(0x102);
    EXPECT_EQ(nine.accesses().at(0).address, 0x278u + 0x102u);

    Selected nt(OsFamily::kNt, 2);
    nt.library.Get_Register(0x102);  // the driver gets the offset's low byte
    EXPECT_EQ(nt.accesses().at(0).address, 0x37Au);
    EXPECT_EQ(nt.trace(), "\nGet_Register(258)=" + std::to_string(nt.accesses().at(0).value));
}

TEST(RawPorts, SetRegisterLeavesTheShadowsAlone)
{
    for (OsFamily family : {OsFamily::kWin9x, OsFamily::kNt}) {
        Selected board(family);
        board.library.Set_Data(0x11);
        board.library.Set_Register(0, 0x155);
        board.library.Set_Register(2, 0x04);
        EXPECT_EQ(board.lpt1().DataLatch(), 0x55);
        EXPECT_EQ(board.lpt1().ControlRegister(), 0x04);
        EXPECT_EQ(board.library.Get_Data(), 0x11);
        EXPECT_EQ(board.state().controlShadow, 0);
    }
}

TEST(RawPorts, FailedRegisterRequestsShowTheirBoxAndReadAsZero)
{
    Selected board(OsFamily::kNt);
    board.pc.os.FailRequests({std::nullopt, -1});
    EXPECT_EQ(board.library.Get_Register(1), 0);
    board.library.Set_Register(0, 1);
    EXPECT_EQ(board.trace(), "\nGet_Register(1)=0\nSet_Register(0,1)");
    EXPECT_EQ(board.boxTexts(), (std::vector<std::string>{"OLVEXPIN_DEVICEIO_GET_REGISTER failed.",
                                                          "OLVEXPIN_DEVICEIO_SET_REGISTER failed."}));
    EXPECT_TRUE(board.accesses().empty());
}

TEST(RawPorts, NtWithoutDriverHandleReachesNothingAndShowsNothing)
{
    SimBoard board(Family(OsFamily::kNt));
    board.library.Trace_Begin();
    board.lpt1().Write(1, 0);  // something on the port that a stray read would see
    board.pc.io.ClearAccesses();
    EXPECT_EQ(board.library.Get_Register(0), 0);
    board.library.Set_Register(0, 1);
    EXPECT_EQ(board.trace(), "\nGet_Register(0)=0\nSet_Register(0,1)");
    EXPECT_TRUE(board.accesses().empty());
    EXPECT_TRUE(board.boxTexts().empty());
}

TEST(RawPorts, NoPortOpenMeansNoAccessAndNoExitText)
{
    Selected board;
    board.state().portBase = 0;
    EXPECT_EQ(board.library.Get_Register(1), 0);
    board.library.Set_Register(0, 1);
    EXPECT_EQ(board.trace(), "\nGet_Register(1)\nSet_Register(0,1)");
    EXPECT_TRUE(board.accesses().empty());
}

TEST(RawPorts, PeekAndPokeReachAnyPortWhicheverIsSelected)
{
    Selected board(OsFamily::kWin9x, 2);
    board.lpt1().SetInputPin(10, false);
    EXPECT_EQ(board.library.Peek(0x10379), board.lpt1().StatusRegister());
    board.library.Poke(0x378, 0x1FF);
    EXPECT_EQ(board.lpt1().DataLatch(), 0xFF);
    EXPECT_EQ(board.state().dataShadow, 0);
    EXPECT_EQ(board.trace(), "\nPeek(0x10379)=0x3F \nPoke(0x0378,0x1FF)");
}

TEST(RawPorts, PeekAndPokeOpenTheDriverOnDemandAndKeepIt)
{
    SimBoard board(Family(OsFamily::kNt));
    board.library.Trace_Begin();
    board.library.Poke(0x37A, 0x04);
    EXPECT_NE(board.state().driverHandle, kInvalidHandle);
    EXPECT_EQ(board.lpt1().ControlRegister(), 0x04);
    const auto requests = board.pc.os.RequestCount();
    board.library.Set_Data_Enable(0);
    EXPECT_EQ(board.library.Get_Data(), 0xFF);  // the driver back end, with no port selected
    EXPECT_EQ(board.pc.os.RequestCount(), requests + 2);
}

TEST(RawPorts, PeekWithoutADriverFailsAndTriesAgainNextTime)
{
    sim::SimOsConfig config = Family(OsFamily::kNt);
    config.driverInstalled = false;
    SimBoard board(config);
    board.library.Trace_Begin();
    EXPECT_EQ(board.library.Peek(0x379), 0);
    EXPECT_EQ(board.library.Peek(0x379), 0);
    board.library.Poke(0x378, 1);
    EXPECT_EQ(board.trace(), "\nPeek(0x0379)=0x00 (failed: no OlvexPIN.sys)\nPeek(0x0379)=0x00 (failed: no OlvexPIN.sys)"
                             "\nPoke(0x0378,0x01)(failed: no OlvexPIN.sys)");
    const auto texts = board.boxTexts();
    EXPECT_EQ(std::count_if(texts.begin(), texts.end(),
                            [](const std::string& t) { return t.find("OLVEXPIN.SYS") != std::string::npos; }),
              3);
    EXPECT_TRUE(board.accesses().empty());
}

TEST(RawPorts, FailedPeekReturns77AndFailedPokeSaysSo)
{
    Selected board(OsFamily::kNt);
    board.pc.os.FailRequests({std::nullopt, -1});
    EXPECT_EQ(board.library.Peek(0x379), 77);
    board.library.Poke(0x378, 5);
    EXPECT_EQ(board.trace(), "\nPeek(0x0379)=0x4D (failed: DeviceIoControl)\nPoke(0x0378,0x05)(failed: DeviceIoControl)");
    EXPECT_EQ(board.boxTexts(), (std::vector<std::string>{"Peek IOCTL_OLVEXPINXA_PEEK failed.",
                                                          "Poke IOCTL_OLVEXPINXA_POKE failed."}));
}

}  // namespace
}  // namespace olvbus::test
