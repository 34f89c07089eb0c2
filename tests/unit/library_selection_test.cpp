// Loading, the version text, port selection and the missing-driver notice.
#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "common/olvexpin_contract.h"
#include "tests/support/sim_board.h"

namespace olvbus::test {
namespace {

using sim::OsFamily;

const std::string kStamp = "OlvBus.dll compiled Jun 30 2002 18:23:43\r\n";
const std::string kVersionPortInstructions =
    kStamp + "OPEN_LPT_FILE USE_OLVEXPIN_SYS \r\nusing out dx,al \r\nsupports DUT reg rd/wr; Peek/Poke; Trace.";
const std::string kVersionDriver =
    kStamp + "OPEN_LPT_FILE USE_OLVEXPIN_SYS \r\nusing OlvexPin.sys \r\nsupports DUT reg rd/wr; Peek/Poke; Trace.";
const std::string kDriverMissing =
    "Cannot open required device driver OLVEXPIN.SYS.\r\nPlease re-install the software and try again.";

TEST(Load, FillsTheVersionRecordAndTouchesNothing)
{
    for (OsFamily family : {OsFamily::kNt, OsFamily::kWin9x}) {
        SimBoard board(Family(family));
        EXPECT_TRUE(board.attached);
        EXPECT_EQ(board.state().osVersion.dwOSVersionInfoSize, 148u);
        EXPECT_EQ(IsNtFamily(board.state()), family == OsFamily::kNt);
        EXPECT_EQ(board.library.Get_OLVBUS_DLL_Version(), kVersionPortInstructions);
        EXPECT_EQ(board.state().portBase, 0x378);
        EXPECT_TRUE(board.accesses().empty());
        EXPECT_EQ(board.pc.os.OpenHandleCount(), 0u);
        EXPECT_TRUE(board.pc.os.MessageBoxes().empty());
        EXPECT_STREQ(board.library.Get_Trace_Buffer(), "");
    }
}

TEST(Load, RefusedWithABoxWhenTheSystemWillNotGiveItsVersion)
{
    sim::SimOsConfig config;
    config.versionQueryFails = true;
    SimBoard board(config);
    EXPECT_FALSE(board.attached);
    ASSERT_EQ(board.pc.os.MessageBoxes().size(), 1u);
    EXPECT_EQ(board.pc.os.MessageBoxes()[0].text, "not compatible with this version of windows! GetVersionEx failed.");
    EXPECT_EQ(board.pc.os.MessageBoxes()[0].caption, "Olvex olvbus.dll");
}

TEST(Unload, ClosesTheDriverAndThePortFileAndKeepsTheFields)
{
    SimBoard board;
    ASSERT_EQ(board.library.Select_LPT_123(2), 0x278);
    EXPECT_EQ(board.pc.os.OpenHandleCount(), 2u);
    const OsHandle driver = board.state().driverHandle;
    board.library.ProcessDetach();
    EXPECT_EQ(board.pc.os.OpenHandleCount(), 0u);
    EXPECT_EQ(board.state().driverHandle, driver);

    SimBoard idle;
    idle.library.ProcessDetach();  // nothing was opened, nothing is closed
    EXPECT_EQ(idle.pc.os.LastError(), 0u);
}

struct SelectionCase {
    const char* name;
    OsFamily family;
    bool driverInstalled;
    int heldPort;  // 0: none
    std::int32_t portid;
    std::int32_t result;
    const char* trace;
    std::size_t handles;  // open afterwards
    bool driverOpen;
};

// Cases print as their names: printing their raw bytes would read padding.
void PrintTo(const SelectionCase& c, std::ostream* os) { *os << c.name; }

const SelectionCase kSelections[] = {
    {"nt_port1", OsFamily::kNt, true, 0, 1, 0x378, "\nSelect_LPT_123(1)=0x0378 ", 2, true},
    {"nt_port2", OsFamily::kNt, true, 0, 2, 0x278, "\nSelect_LPT_123(2)=0x0278 ", 2, true},
    {"nt_port3", OsFamily::kNt, true, 0, 3, 0x3BC, "\nSelect_LPT_123(3)=0x03BC ", 2, true},
    {"9x_port1", OsFamily::kWin9x, true, 0, 1, 0x378, "\nSelect_LPT_123(1)=0x0378 ", 1, false},
    {"9x_port3", OsFamily::kWin9x, false, 0, 3, 0x3BC, "\nSelect_LPT_123(3)=0x03BC ", 1, false},
    {"zero", OsFamily::kNt, true, 0, 0, 0, "\nSelect_LPT_123(0)=0x0000 (failed: portid shoud be 1)", 0, false},
    {"four", OsFamily::kWin9x, true, 0, 4, 0, "\nSelect_LPT_123(4)=0x0000 (failed: portid shoud be 1)", 0, false},
    {"minus_one", OsFamily::kNt, true, 0, -1, 0, "\nSelect_LPT_123(-1)=0x0000 (failed: portid shoud be 1)", 0, false},
    {"int_min", OsFamily::kNt, true, 0, INT_MIN, 0, "\nSelect_LPT_123(-2147483648)=0x0000 (failed: portid shoud be 1)", 0, false},
    {"int_max", OsFamily::kNt, true, 0, INT_MAX, 0, "\nSelect_LPT_123(2147483647)=0x0000 (failed: portid shoud be 1)", 0, false},
    {"257_is_not_1", OsFamily::kNt, true, 0, 257, 0, "\nSelect_LPT_123(257)=0x0000 (failed: portid shoud be 1)", 0, false},
    {"held_nt", OsFamily::kNt, true, 1, 1, 0, "\nSelect_LPT_123(1)=0x0000 (failed: can't open LPT port)", 0, false},
    {"held_9x", OsFamily::kWin9x, true, 2, 2, 0, "\nSelect_LPT_123(2)=0x0000 (failed: can't open LPT port)", 0, false},
    {"no_driver", OsFamily::kNt, false, 0, 1, 0, "\nSelect_LPT_123(1)=0x0000 (failed: no OlvexPIN.sys)", 1, false},
};

class Selection : public ::testing::TestWithParam<SelectionCase> {};

TEST_P(Selection, ReturnsTracesAndHoldsWhatTheOutcomeSays)
{
    const SelectionCase& c = GetParam();
    sim::SimOsConfig config = Family(c.family);
    config.driverInstalled = c.driverInstalled;
    if (c.heldPort != 0) {
        config.heldPorts.insert(c.heldPort);
    }
    SimBoard board(config);
    board.library.Trace_Begin();
    EXPECT_EQ(board.library.Select_LPT_123(c.portid), c.result);
    EXPECT_EQ(board.trace(), c.trace);
    EXPECT_EQ(board.pc.os.OpenHandleCount(), c.handles);
    EXPECT_EQ(board.state().driverHandle != kInvalidHandle, c.driverOpen);
    EXPECT_EQ(board.state().lptHandle != kInvalidHandle, c.handles > 0);
    EXPECT_EQ(board.state().portBase, c.result != 0 ? c.result : 0x378);
    EXPECT_EQ(board.library.Get_OLVBUS_DLL_Version(), c.driverOpen ? kVersionDriver : kVersionPortInstructions);
    EXPECT_TRUE(board.accesses().empty()) << "selection never touches the port";
    EXPECT_EQ(board.pc.os.MessageBoxes().empty(), c.driverInstalled || c.family != OsFamily::kNt || c.result != 0 ||
                                                      c.portid < 1 || c.portid > 3);
}

INSTANTIATE_TEST_SUITE_P(Outcomes, Selection, ::testing::ValuesIn(kSelections),
                         [](const auto& p) { return std::string(p.param.name); });

TEST(Selection, SamePortTwiceClosesTheFirstHandles)
{
    SimBoard board;
    EXPECT_EQ(board.library.Select_LPT_123(1), 0x378);
    const OsHandle firstLpt = board.state().lptHandle;
    EXPECT_EQ(board.library.Select_LPT_123(1), 0x378);
    EXPECT_NE(board.state().lptHandle, firstLpt);
    EXPECT_EQ(board.pc.os.OpenHandleCount(), 2u);  // one port file, one driver handle
}

TEST(Selection, FailedOpenReleasesThePreviousPortAndKeepsItsBase)
{
    sim::SimOsConfig config;
    config.heldPorts = {3};
    SimBoard board(config);
    ASSERT_EQ(board.library.Select_LPT_123(2), 0x278);
    EXPECT_EQ(board.library.Select_LPT_123(3), 0);
    EXPECT_FALSE(board.pc.os.IsOpen("\\\\.\\LPT2"));
    EXPECT_EQ(board.state().lptHandle, kInvalidHandle);
    EXPECT_EQ(board.state().portBase, 0x278);
    // The driver handle of the earlier success stays: registers still work.
    EXPECT_NE(board.state().driverHandle, kInvalidHandle);
}

TEST(Selection, OutOfRangeTouchesNoHandle)
{
    SimBoard board;
    ASSERT_EQ(board.library.Select_LPT_123(1), 0x378);
    const LibraryState before = board.state();
    EXPECT_EQ(board.library.Select_LPT_123(4), 0);
    EXPECT_EQ(board.state().lptHandle, before.lptHandle);
    EXPECT_EQ(board.state().driverHandle, before.driverHandle);
    EXPECT_EQ(board.pc.os.OpenHandleCount(), 2u);
}

TEST(Selection, DriverLostAfterSuccessLeavesTheOldBaseAndDirectVersion)
{
    SimBoard board;
    ASSERT_EQ(board.library.Select_LPT_123(3), 0x3BC);
    board.pc.os.Config().driverInstalled = false;
    EXPECT_EQ(board.library.Select_LPT_123(1), 0);
    EXPECT_EQ(board.state().portBase, 0x3BC);
    EXPECT_EQ(board.state().driverHandle, kInvalidHandle);
    EXPECT_TRUE(board.pc.os.IsOpen("\\\\.\\LPT1"));
    EXPECT_EQ(board.library.Get_OLVBUS_DLL_Version(), kVersionPortInstructions);
}

// The installation notes the missing-driver notice opens, by registry state.
struct NotesCase {
    const char* name;
    std::optional<std::string> pdfHandler;
    bool denied;
    const char* document;
};

void PrintTo(const NotesCase& c, std::ostream* os) { *os << c.name; }

const NotesCase kNotes[] = {
    {"no_key", std::nullopt, false, "Win2000.txt"},
    {"handler", std::string("PdfViewer.Document"), false, "Win2000.pdf"},
    {"empty_value", std::string(""), false, "Win2000.txt"},
    {"63_chars_fit", std::string(63, 'x'), false, "Win2000.pdf"},
    {"64_chars_too_long", std::string(64, 'x'), false, "Win2000.txt"},
    {"no_full_access", std::string("PdfViewer.Document"), true, "Win2000.txt"},
};

class MissingDriver : public ::testing::TestWithParam<NotesCase> {};

TEST_P(MissingDriver, ShowsTheNoticeThenOpensTheNotes)
{
    sim::SimOsConfig config;
    config.driverInstalled = false;
    config.pdfHandler = GetParam().pdfHandler;
    config.pdfKeyDenied = GetParam().denied;
    SimBoard board(config);
    EXPECT_EQ(board.library.Select_LPT_123(1), 0);
    ASSERT_EQ(board.pc.os.MessageBoxes().size(), 1u);
    EXPECT_EQ(board.pc.os.MessageBoxes()[0].text, kDriverMissing);
    EXPECT_EQ(board.pc.os.MessageBoxes()[0].caption, "Olvex olvbus.dll");
    const std::string doc = GetParam().document;
    // A document is no program and "start" is no program either; explorer opens it.
    EXPECT_EQ(board.pc.os.Launches(), (std::vector<std::string>{doc, "start " + doc, "explorer " + doc}));
    EXPECT_EQ(board.pc.os.OpenKeyCount(), 0) << "the key is closed after the query";
}

INSTANTIATE_TEST_SUITE_P(Registry, MissingDriver, ::testing::ValuesIn(kNotes),
                         [](const auto& p) { return std::string(p.param.name); });

TEST(MissingDriver, RepeatsAtEverySelection)
{
    sim::SimOsConfig config;
    config.driverInstalled = false;
    SimBoard board(config);
    board.library.Select_LPT_123(1);
    board.library.Select_LPT_123(1);
    EXPECT_EQ(board.pc.os.MessageBoxes().size(), 2u);
    EXPECT_EQ(board.pc.os.Launches().size(), 6u);
}

struct LaunchCase {
    const char* name;
    std::deque<std::uint32_t> results;
    std::vector<std::string> launches;
    const char* report;  // second box; empty when a launch worked
};

void PrintTo(const LaunchCase& c, std::ostream* os) { *os << c.name; }

const LaunchCase kLaunches[] = {
    {"bare_name_works", {33}, {"Win2000.txt"}, ""},
    {"start_works", {11, 42}, {"Win2000.txt", "start Win2000.txt"}, ""},
    {"not_found_stops_at_once", {2}, {"Win2000.txt"},
     "Win2000.txt\nError 2: The system cannot find the file specified.\r\n"},
    {"all_three_fail", {11, 2, 5}, {"Win2000.txt", "start Win2000.txt", "explorer Win2000.txt"},
     "explorer Win2000.txt\nError 5: Access is denied.\r\n"},
    {"no_system_text", {11, 2, 20}, {"Win2000.txt", "start Win2000.txt", "explorer Win2000.txt"},
     "explorer Win2000.txt\nError 20: unknown error"},
};

class OpenDocument : public ::testing::TestWithParam<LaunchCase> {};

TEST_P(OpenDocument, TriesTheShellThenReportsTheLastError)
{
    sim::SimOsConfig config;
    config.driverInstalled = false;
    SimBoard board(config);
    board.pc.os.ScriptWinExec(GetParam().results);
    board.library.Select_LPT_123(1);
    EXPECT_EQ(board.pc.os.Launches(), GetParam().launches);
    const std::string report = GetParam().report;
    if (report.empty()) {
        EXPECT_EQ(board.boxTexts(), std::vector<std::string>{kDriverMissing});
    } else {
        EXPECT_EQ(board.boxTexts(), (std::vector<std::string>{kDriverMissing, report}));
    }
}

INSTANTIATE_TEST_SUITE_P(Shell, OpenDocument, ::testing::ValuesIn(kLaunches),
                         [](const auto& p) { return std::string(p.param.name); });

}  // namespace
}  // namespace olvbus::test
