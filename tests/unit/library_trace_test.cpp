// The call trace: switching, fetching, and the exact text each export appends.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "tests/support/sim_board.h"

namespace olvbus::test {
namespace {

using sim::OsFamily;

TEST(Trace, EmptyAndNeverNullAtLoadAndAfterBegin)
{
    SimBoard board;
    const char* text = board.library.Get_Trace_Buffer();
    ASSERT_NE(text, nullptr);
    EXPECT_STREQ(text, "");
    board.library.Trace_Begin();
    ASSERT_NE(board.library.Get_Trace_Buffer(), nullptr);
    EXPECT_STREQ(board.library.Get_Trace_Buffer(), "");
}

TEST(Trace, EndKeepsTheTextAndBeginEmptiesIt)
{
    SimBoard board;
    board.library.Trace_Begin();
    board.library.Select_LPT_123(7);
    board.library.Trace_End();
    board.library.Select_LPT_123(1);
    board.library.Set_Data(3);
    EXPECT_EQ(board.trace(), "\nSelect_LPT_123(7)=0x0000 (failed: portid shoud be 1)");
    board.library.Trace_Begin();
    EXPECT_EQ(board.trace(), "");
    board.library.Trace_Begin();  // again while on: still just empties
    board.library.Set_Data(4);
    EXPECT_EQ(board.trace(), "\nSet_Data(4)");
}

TEST(Trace, NotRecordingWhenOffAtLoad)
{
    SimBoard board;
    board.library.Select_LPT_123(1);
    board.library.Get_Data();
    EXPECT_EQ(board.trace(), "");
}

// What each traced call appends, on a board with LPT1 selected.
struct TraceCase {
    const char* name;
    OsFamily family;
    std::function<void(SimBoard&)> call;
    const char* appended;
};

// Cases print as their names: printing their raw bytes would read padding.
void PrintTo(const TraceCase& c, std::ostream* os) { *os << c.name; }

const TraceCase kCases[] = {
    {"select_1", OsFamily::kNt, [](SimBoard& b) { b.library.Select_LPT_123(1); }, "\nSelect_LPT_123(1)=0x0378 "},
    {"select_3_upper_hex", OsFamily::kWin9x, [](SimBoard& b) { b.library.Select_LPT_123(3); },
     "\nSelect_LPT_123(3)=0x03BC "},
    {"get_data_driven", OsFamily::kNt, [](SimBoard& b) { b.library.Get_Data(); }, "\nGet_Data()=0 (data drivers disabled)"},
    {"get_data_read", OsFamily::kNt,
     [](SimBoard& b) { b.state().dataEnable = 0; b.state().controlShadow = 0x20; b.lpt1().Write(2, 0x20); b.library.Get_Data(); },
     "\nGet_Data()=255 "},
    {"set_data", OsFamily::kWin9x, [](SimBoard& b) { b.library.Set_Data(5); }, "\nSet_Data(5)"},
    {"set_data_whole_value", OsFamily::kNt, [](SimBoard& b) { b.library.Set_Data(511); }, "\nSet_Data(511)"},
    {"set_data_negative", OsFamily::kNt, [](SimBoard& b) { b.library.Set_Data(-2); }, "\nSet_Data(-2)"},
    {"set_data_enable_nests_set_control", OsFamily::kNt, [](SimBoard& b) { b.library.Set_Data_Enable(1); },
     "\nSet_Data_Enable(1)\nSet_Control(0)"},
    {"set_data_enable_mask", OsFamily::kNt, [](SimBoard& b) { b.library.Set_Data_Enable_Mask(64); },
     "\nSet_Data_Enable_Mask(64)"},
    {"get_status", OsFamily::kWin9x, [](SimBoard& b) { b.library.Get_Status(); }, "\nGet_Status()=127"},
    {"set_control", OsFamily::kNt, [](SimBoard& b) { b.library.Set_Control(300); }, "\nSet_Control(300)"},
    {"untraced_getters", OsFamily::kNt,
     [](SimBoard& b) {
         b.library.Get_Control();
         b.library.Get_Data_Enable();
         b.library.Get_Data_Enable_Mask();
         b.library.Get_OLVBUS_DLL_Version();
         b.library.Get_Trace_Buffer();
     },
     ""},
};

class TraceText : public ::testing::TestWithParam<TraceCase> {};

TEST_P(TraceText, IsAppendedExactly)
{
    const TraceCase& c = GetParam();
    SimBoard board(Family(c.family));
    board.library.Select_LPT_123(1);
    board.library.Trace_Begin();
    c.call(board);
    EXPECT_EQ(board.trace(), c.appended);
}

INSTANTIATE_TEST_SUITE_P(Exports, TraceText, ::testing::ValuesIn(kCases),
                         [](const auto& p) { return std::string(p.param.name); });

TEST(Trace, GrowsGeometricallyAndBeginGivesTheMemoryBack)
{
    SimBoard board(Family(OsFamily::kWin9x));
    board.library.Select_LPT_123(1);
    board.library.Trace_Begin();
    for (int i = 0; i < 100000; ++i) {
        board.library.Set_Data(i);
    }
    const CallTrace& trace = board.state().traceText;
    EXPECT_GT(trace.Length(), 1000000u);
    EXPECT_LE(trace.Capacity(), 2 * trace.Length());
    EXPECT_EQ(board.library.Get_Trace_Buffer(), trace.Text()) << "the text is handed out, not copied";
    board.library.Trace_Begin();
    EXPECT_LT(board.state().traceText.Capacity(), 64u);
}

}  // namespace
}  // namespace olvbus::test
