// The exported C interface of libolvbus.so, with the simulated PC configured
// from the environment as an application would meet it. Each suite is run by
// ctest under the OLVBUS_SIM_* settings its name says.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "olvbus.h"

namespace {

const std::string kPortInstructions = "\r\nusing out dx,al \r\n";
const std::string kDriver = "\r\nusing OlvexPin.sys \r\n";

bool Contains(const char* text, const std::string& part) { return std::string(text).find(part) != std::string::npos; }

// OLVBUS_SIM_OS unset: Windows 2000 with OlvexPin installed.
TEST(NtWithDriver, SelectsThroughTheDriverAndTraces)
{
    EXPECT_TRUE(Contains(Get_OLVBUS_DLL_Version(), kPortInstructions));
    Trace_Begin();
    EXPECT_EQ(Select_LPT_123(1), 0x378);
    EXPECT_TRUE(Contains(Get_OLVBUS_DLL_Version(), kDriver));
    Set_Data(0x1C3);
    Set_Data_Enable(0);
    EXPECT_EQ(Get_Data(), 0xFF);  // released lines float high
    Set_Data_Enable(1);
    EXPECT_EQ(Get_Data(), 0xC3);
    EXPECT_EQ(Get_Status(), 0x7F);
    EXPECT_EQ(Get_Control(), 0);
    Trace_End();
    EXPECT_STREQ(Get_Trace_Buffer(),
                 "\nSelect_LPT_123(1)=0x0378 \nSet_Data(451)\nSet_Data_Enable(0)\nSet_Control(32)"
                 "\nGet_Data()=255 \nSet_Data_Enable(1)\nSet_Control(0)\nGet_Data()=195 (data drivers disabled)"
                 "\nGet_Status()=127");
}

// OLVBUS_SIM_OS=9x
TEST(Win9x, UsesPortInstructions)
{
    EXPECT_EQ(Select_LPT_123(3), 0x3BC);
    EXPECT_TRUE(Contains(Get_OLVBUS_DLL_Version(), kPortInstructions));
    Set_Control(0x0F);
    EXPECT_EQ(Get_Control(), 0x0F);
    EXPECT_EQ(Get_Data_Enable_Mask(), 0x20);
}

// OLVBUS_SIM_DRIVER=missing OLVBUS_SIM_MESSAGEBOX=quiet
TEST(NtWithoutDriver, SelectionFailsAndRegistersStayQuiet)
{
    Trace_Begin();
    EXPECT_EQ(Select_LPT_123(1), 0);
    EXPECT_EQ(Get_Status(), 0);
    EXPECT_STREQ(Get_Trace_Buffer(), "\nSelect_LPT_123(1)=0x0000 (failed: no OlvexPIN.sys)\nGet_Status()=0");
    EXPECT_TRUE(Contains(Get_OLVBUS_DLL_Version(), kPortInstructions));
}

// OLVBUS_SIM_LPT_HELD=2
TEST(PortHeld, SelectionOfTheHeldPortFails)
{
    Trace_Begin();
    EXPECT_EQ(Select_LPT_123(2), 0);
    EXPECT_EQ(Select_LPT_123(1), 0x378);
    EXPECT_STREQ(Get_Trace_Buffer(),
                 "\nSelect_LPT_123(2)=0x0000 (failed: can't open LPT port)\nSelect_LPT_123(1)=0x0378 ");
}

// OLVBUS_SIM_FAIL=all:status OLVBUS_SIM_MESSAGEBOX=quiet
TEST(FailingStatusRequests, GetStatusReturnsZero)
{
    ASSERT_EQ(Select_LPT_123(1), 0x378);
    Trace_Begin();
    EXPECT_EQ(Get_Status(), 0);
    Set_Data(5);
    EXPECT_STREQ(Get_Trace_Buffer(), "\nGet_Status()=0\nSet_Data(5)");
}

}  // namespace
