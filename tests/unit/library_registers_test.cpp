// The data, status and control registers on both back ends: what reaches the
// port, the shadows, and every failure path.
#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "common/olvexpin_contract.h"
#include "tests/support/sim_board.h"

namespace olvbus::test {
namespace {

using sim::OsFamily;

// A board with LPT1 selected on the given family.
struct Selected : SimBoard {
    explicit Selected(OsFamily family, int port = 1) : SimBoard(Family(family))
    {
        library.Select_LPT_123(port);
        pc.io.ClearAccesses();
    }
    std::uint64_t requests() const { return pc.os.RequestCount(); }
};

TEST(BackEnd, NineXUsesPortInstructionsAtTheSelectedBase)
{
    Selected board(OsFamily::kWin9x, 2);
    board.library.Set_Data(0x1A5);
    board.library.Set_Control(0x104);
    board.library.Get_Status();
    EXPECT_EQ(board.accesses(), (std::vector<sim::PortAccessRecord>{Wr(0x278, 0xA5), Wr(0x27A, 0x04), Rd(0x279, 0x7F)}));
    EXPECT_EQ(board.requests(), 0u);
}

TEST(BackEnd, NtSendsOneRequestPerAccessToTheDriversFixedPort)
{
    Selected board(OsFamily::kNt, 2);  // the driver knows nothing of port 2
    board.library.Set_Data(0x1A5);
    board.library.Set_Control(0x104);
    board.library.Get_Status();
    EXPECT_EQ(board.accesses(), (std::vector<sim::PortAccessRecord>{Wr(0x378, 0xA5), Wr(0x37A, 0x04), Rd(0x379, 0x7F)}));
    EXPECT_EQ(board.requests(), 3u);
}

TEST(BackEnd, ChosenAtEachAccessByTheDriverHandle)
{
    Selected board(OsFamily::kNt);
    board.library.Set_Data(1);
    EXPECT_EQ(board.requests(), 1u);
    board.library.ProcessDetach();  // closes the handle; the field keeps its value
    board.state().driverHandle = kInvalidHandle;
    board.library.Set_Data(2);
    EXPECT_EQ(board.requests(), 1u);
    EXPECT_EQ(board.accesses().size(), 1u) << "no port instruction on the NT family";
}

TEST(BackEnd, RegisterOffsetSendsTheLowByteOnlyToTheDriver)
{
    Selected nt(OsFamily::kNt, 2);
    auto read = nt.library.Ports().ReadRegisterAt(0x102);
    EXPECT_EQ(read.access, Access::kDone);
    EXPECT_EQ(nt.accesses(), std::vector<sim::PortAccessRecord>{Rd(0x37A, 0xC0)});

    Selected direct(OsFamily::kWin9x, 1);
    direct.library.Ports().ReadRegisterAt(0x102);
    EXPECT_EQ(direct.accesses(), std::vector<sim::PortAccessRecord>{Rd(0x47A, 0xFF)});
}

TEST(BackEnd, IoPortAddressesWrapAtSixteenBits)
{
    for (OsFamily family : {OsFamily::kNt, OsFamily::kWin9x}) {
        Selected board(family);
        EXPECT_EQ(board.library.Ports().WriteIoPort(0x10378, 0x1A5), Access::kDone);
        EXPECT_EQ(board.library.Ports().ReadIoPort(0x10378).value, 0xA5);
        EXPECT_EQ(board.accesses(), (std::vector<sim::PortAccessRecord>{Wr(0x378, 0xA5), Rd(0x378, 0xA5)}));
    }
}

TEST(BackEnd, FailedRequestIsNeverFollowedByAPortInstruction)
{
    Selected board(OsFamily::kNt);
    board.pc.os.FailRequests({std::nullopt, -1});
    EXPECT_EQ(board.library.Ports().ReadDataRegister().access, Access::kRequestFailed);
    EXPECT_EQ(board.library.Ports().WriteControlRegister(1), Access::kRequestFailed);
    EXPECT_TRUE(board.accesses().empty());
}

TEST(Registers, DataReadsTheShadowWhileThePcDrivesTheLines)
{
    for (OsFamily family : {OsFamily::kNt, OsFamily::kWin9x}) {
        Selected board(family);
        board.library.Trace_Begin();
        board.library.Set_Data(511);
        EXPECT_EQ(board.state().dataShadow, 255);
        board.lpt1().Write(0, 0x12);  // someone else changes the latch
        EXPECT_EQ(board.library.Get_Data(), 255);
        EXPECT_EQ(board.trace(), "\nSet_Data(511)\nGet_Data()=255 (data drivers disabled)");
        EXPECT_EQ(board.accesses().size(), 1u) << "Get_Data did not read the port";
    }
}

TEST(Registers, DataReadsTheLinesOnceReleasedAndKeepsTheShadow)
{
    for (OsFamily family : {OsFamily::kNt, OsFamily::kWin9x}) {
        Selected board(family);
        board.library.Set_Data(0x5A);
        board.library.Set_Data_Enable(0);
        EXPECT_EQ(board.lpt1().ControlRegister(), 0x20);
        EXPECT_EQ(board.library.Get_Data(), 0xFF);  // nobody drives: pulled high
        EXPECT_EQ(board.state().dataShadow, 0x5A);
        board.library.Set_Data_Enable(1);
        EXPECT_EQ(board.lpt1().ControlRegister(), 0x00);
        EXPECT_EQ(board.library.Get_Data(), 0x5A);
    }
}

TEST(Registers, SetDataWritesTheLatchEvenWithTheDriversOff)
{
    Selected board(OsFamily::kWin9x);
    board.library.Set_Data_Enable(0);
    board.library.Set_Data(0x33);
    EXPECT_EQ(board.lpt1().DataLatch(), 0x33);
    EXPECT_EQ(board.state().dataShadow, 0x33);
}

struct DataEnableCase {
    std::int32_t mask;
    std::uint8_t shadow;
    std::int32_t enable;
    const char* trace;
    std::uint8_t written;
};

TEST(Registers, DataEnableComputesTheControlValueOnThirtyTwoBits)
{
    const DataEnableCase cases[] = {
        {0x20, 0x24, 1, "\nSet_Data_Enable(1)\nSet_Control(4)", 0x04},
        {0x20, 0x04, 0, "\nSet_Data_Enable(0)\nSet_Control(36)", 0x24},
        {0x120, 0x04, 0, "\nSet_Data_Enable(0)\nSet_Control(292)", 0x24},
        {0x20, 0x24, 5, "\nSet_Data_Enable(5)\nSet_Control(4)", 0x04},
        {-1, 0x24, 0, "\nSet_Data_Enable(0)\nSet_Control(-1)", 0xFF},
        {-1, 0x24, 1, "\nSet_Data_Enable(1)\nSet_Control(0)", 0x00},
    };
    for (const auto& c : cases) {
        Selected board(OsFamily::kWin9x);
        board.state().dataEnableMask = c.mask;
        board.state().controlShadow = c.shadow;
        board.library.Trace_Begin();
        board.library.Set_Data_Enable(c.enable);
        EXPECT_EQ(board.trace(), c.trace);
        EXPECT_EQ(board.state().controlShadow, c.written);
        EXPECT_EQ(board.lpt1().ControlRegister(), c.written);
        EXPECT_EQ(board.library.Get_Data_Enable(), c.enable);
    }
}

TEST(Registers, DataEnableMaskChangesNothingElse)
{
    Selected board(OsFamily::kWin9x);
    board.library.Set_Control(0x2B);
    const LibraryState before = board.state();
    board.library.Set_Data_Enable_Mask(0x10);
    EXPECT_EQ(board.library.Get_Data_Enable_Mask(), 0x10);
    EXPECT_EQ(board.state().controlShadow, before.controlShadow);
    EXPECT_EQ(board.state().dataShadow, before.dataShadow);
    EXPECT_EQ(board.state().controlMasks.dataRdOr, before.controlMasks.dataRdOr);
    EXPECT_EQ(board.accesses().size(), 1u);
}

TEST(Registers, StatusIsTheRawByte)
{
    for (OsFamily family : {OsFamily::kNt, OsFamily::kWin9x}) {
        Selected board(family);
        board.lpt1().SetInputPin(11, false);  // bit 7 reads inverted: set
        EXPECT_EQ(board.library.Get_Status(), 0xFF);
        board.lpt1().SetInputPin(10, false);
        board.lpt1().SetInputPin(15, false);
        EXPECT_EQ(board.library.Get_Status(), 0xB7);
        EXPECT_EQ(board.state().dataShadow, 0);  // stored nowhere
    }
}

TEST(Registers, ControlReturnsTheShadowNotTheRegister)
{
    Selected board(OsFamily::kWin9x);
    EXPECT_EQ(board.library.Get_Control(), 0);
    board.library.Set_Control(0x1F0);
    EXPECT_EQ(board.library.Get_Control(), 0xF0);
    board.lpt1().Write(2, 0x01);
    EXPECT_EQ(board.library.Get_Control(), 0xF0);
    EXPECT_EQ(board.library.Get_Data_Enable(), 1) << "not updated from the control value";
}

TEST(Registers, NoPortOpenWhenTheBaseIsZero)
{
    Selected board(OsFamily::kWin9x);
    board.state().portBase = 0;
    board.library.Trace_Begin();
    EXPECT_EQ(board.library.Get_Data(), 0);
    board.library.Set_Data(7);
    EXPECT_EQ(board.library.Get_Status(), 0);
    board.library.Set_Control(7);
    EXPECT_EQ(board.trace(),
              "\nGet_Data()=0 (failed: port not open.)\nSet_Data(7)(failed: port not open.)\nGet_Status()\nSet_Control(7)");
    EXPECT_TRUE(board.accesses().empty());
    EXPECT_EQ(board.state().dataShadow, 0);
    EXPECT_EQ(board.state().controlShadow, 0);
}

// A failed driver request: one box with the export's text, a status in the
// trace, no port instruction, and the shadow left as the register is.
struct FailureCase {
    const char* name;
    void (*call)(Library&);
    const char* box;
    const char* trace;
};

// Cases print as their names: printing their raw bytes would read padding.
void PrintTo(const FailureCase& c, std::ostream* os) { *os << c.name; }

const FailureCase kFailures[] = {
    {"get_data", [](Library& l) { l.State().dataEnable = 0; EXPECT_EQ(l.Get_Data(), 0); },
     "OLVEXPIN_DEVICEIO_GET_DATA failed.", "\nGet_Data()=0 (failed: DeviceIoControl)"},
    {"set_data", [](Library& l) { l.Set_Data(9); EXPECT_EQ(l.State().dataShadow, 0); },
     "OLVEXPIN_DEVICEIO_SET_DATA failed.", "\nSet_Data(9)(failed: DeviceIoControl)"},
    {"get_status", [](Library& l) { EXPECT_EQ(l.Get_Status(), 0); },
     "OLVEXPIN_DEVICEIO_GET_STATUS failed.", "\nGet_Status()=0"},
    {"set_control", [](Library& l) { l.Set_Control(9); EXPECT_EQ(l.Get_Control(), 0); },
     "OLVEXPIN_DEVICEIO_SET_CONTROL failed.", "\nSet_Control(9)"},
};

class RequestFailure : public ::testing::TestWithParam<FailureCase> {};

TEST_P(RequestFailure, ShowsItsBoxAndTracesItsStatus)
{
    Selected board(OsFamily::kNt);
    board.library.Trace_Begin();
    board.pc.os.FailRequests({std::nullopt, -1});
    GetParam().call(board.library);
    EXPECT_EQ(board.boxTexts(), std::vector<std::string>{GetParam().box});
    EXPECT_EQ(board.pc.os.MessageBoxes()[0].caption, "Olvex olvbus.dll");
    EXPECT_EQ(board.trace(), GetParam().trace);
    EXPECT_TRUE(board.accesses().empty());
}

INSTANTIATE_TEST_SUITE_P(Exports, RequestFailure, ::testing::ValuesIn(kFailures),
                         [](const auto& p) { return std::string(p.param.name); });

TEST(RequestFailure, EveryFailureShowsItsOwnBox)
{
    Selected board(OsFamily::kNt);
    board.pc.os.FailRequests({IOCTL_OLVEXPINXA_STATUS, 2});
    board.library.Get_Status();
    board.library.Get_Status();
    EXPECT_EQ(board.library.Get_Status(), 0x7F);
    EXPECT_EQ(board.pc.os.MessageBoxes().size(), 2u);
}

// On the NT family before any driver handle exists user mode may not run
// port instructions: the exports fail quietly into the trace.
TEST(NoDriverHandle, RegisterExportsTouchNothing)
{
    SimBoard board;  // NT, nothing selected
    board.library.Trace_Begin();
    board.library.Set_Data(1);
    board.library.Set_Data_Enable(0);
    EXPECT_EQ(board.library.Get_Data(), 0);
    EXPECT_EQ(board.library.Get_Status(), 0);
    EXPECT_EQ(board.trace(),
              "\nSet_Data(1)(failed: no OlvexPIN.sys)\nSet_Data_Enable(0)\nSet_Control(32)"
              "\nGet_Data()=0 (failed: no OlvexPIN.sys)\nGet_Status()=0");
    EXPECT_TRUE(board.accesses().empty());
    EXPECT_EQ(board.pc.os.RequestCount(), 0u);
    EXPECT_TRUE(board.pc.os.MessageBoxes().empty());
    EXPECT_EQ(board.state().dataShadow, 0);
    EXPECT_EQ(board.state().controlShadow, 0);
}

TEST(NoDriverHandle, AfterAFailedSelectionToo)
{
    sim::SimOsConfig config;
    config.driverInstalled = false;
    config.notesPresent = false;
    SimBoard board(config);
    board.library.Select_LPT_123(1);
    const auto boxes = board.pc.os.MessageBoxes().size();
    board.library.Set_Control(5);
    EXPECT_TRUE(board.accesses().empty());
    EXPECT_EQ(board.pc.os.MessageBoxes().size(), boxes);
}

TEST(BadInput, RegisterExportsUseTheLowByteAndTraceTheWholeValue)
{
    const std::int32_t values[] = {INT_MIN, -1, 0, 256, INT_MAX};
    for (OsFamily family : {OsFamily::kNt, OsFamily::kWin9x}) {
        for (std::int32_t v : values) {
            Selected board(family);
            board.library.Trace_Begin();
            board.library.Set_Data(v);
            board.library.Set_Control(v);
            board.library.Set_Data_Enable_Mask(v);
            board.library.Set_Data_Enable(v);
            const auto low = static_cast<std::uint8_t>(v & 0xFF);
            EXPECT_EQ(board.state().dataShadow, low);
            EXPECT_EQ(board.lpt1().DataLatch(), low);
            EXPECT_EQ(board.library.Get_Data_Enable(), v);
            EXPECT_EQ(board.library.Get_Data_Enable_Mask(), v);
            const std::int32_t control = v != 0 ? (low & ~v) : (low | v);
            EXPECT_EQ(board.library.Get_Control(), control & 0xFF);
            const std::string n = std::to_string(v);
            EXPECT_EQ(board.trace(), "\nSet_Data(" + n + ")\nSet_Control(" + n + ")\nSet_Data_Enable_Mask(" + n +
                                         ")\nSet_Data_Enable(" + n + ")\nSet_Control(" + std::to_string(control) + ")");
        }
    }
}

}  // namespace
}  // namespace olvbus::test
