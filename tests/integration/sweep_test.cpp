// Every export with the extreme values of each argument, through the C
// interface of libolvbus.so, with tracing off and on. Run once per family.
#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <string>

#include "olvbus.h"

namespace {

const std::int32_t kValues[] = {INT_MIN, -1, 0, 1, 255, 256, 65535, 65536, INT_MAX};

bool InByteRange(std::int32_t v) { return v >= 0 && v <= 255; }
bool IsTruth(olvbus_bool b) { return b == 0 || b == 1; }
bool IsBusyPin(std::int32_t p) { return p == 10 || p == 11 || p == 12 || p == 13 || p == 15; }
bool IsStrobePin(std::int32_t p) { return p == 1 || p == 14 || p == 16 || p == 17; }

class Sweep : public ::testing::TestWithParam<bool> {
protected:
    void SetUp() override
    {
        if (GetParam()) {
            Trace_Begin();
        } else {
            Trace_End();
        }
        ASSERT_EQ(Select_LPT_123(1), 0x378);
        Set_DUT_BUSY_Timeout(1000);  // polls a stuck cycle may spend
    }
    void TearDown() override
    {
        ASSERT_NE(Get_Trace_Buffer(), nullptr);
        Trace_Begin();  // keep the next case's trace small
    }
};

TEST_P(Sweep, SelectionAndVersion)
{
    for (std::int32_t v : kValues) {
        const std::int32_t base = Select_LPT_123(v);
        EXPECT_EQ(base, v == 1 ? 0x378 : 0) << v;
        ASSERT_NE(Get_OLVBUS_DLL_Version(), nullptr);
    }
}

TEST_P(Sweep, Registers)
{
    for (std::int32_t v : kValues) {
        Set_Data(v);
        Set_Control(v);
        EXPECT_EQ(Get_Control(), v & 0xFF) << v;
        Set_Data_Enable_Mask(v);
        EXPECT_EQ(Get_Data_Enable_Mask(), v);
        Set_Data_Enable(v);
        EXPECT_EQ(Get_Data_Enable(), v);
        EXPECT_TRUE(InByteRange(Get_Data())) << v;
        EXPECT_TRUE(InByteRange(Get_Status())) << v;
        EXPECT_TRUE(InByteRange(Get_Control())) << v;
    }
    Set_Data_Enable_Mask(0x20);
    Set_Data_Enable(1);
}

TEST_P(Sweep, PinsOffsetsAndRawPorts)
{
    for (std::int32_t v : kValues) {
        for (std::int32_t w : kValues) {
            DirectWritePrinterPin(v, w);
            Set_Register(v, w);
            Poke(v, w);
        }
        const std::int32_t pin = DirectReadPrinterPin(v);
        EXPECT_TRUE(pin == 0 || pin == 1) << v;
        if (v < 1 || v > 17) {
            EXPECT_EQ(pin, 0) << v;
        }
        EXPECT_TRUE(InByteRange(Get_Register(v))) << v;
        EXPECT_TRUE(InByteRange(Peek(v))) << v;
    }
}

TEST_P(Sweep, BusySettings)
{
    for (std::int32_t v : kValues) {
        for (std::int32_t level : {0, 1, 256}) {
            const olvbus_bool accepted = Set_DUT_BUSY_Pin(v, static_cast<olvbus_bool>(level));
            EXPECT_TRUE(IsTruth(accepted));
            EXPECT_EQ(accepted != 0, IsBusyPin(v)) << v;
            EXPECT_TRUE(InByteRange(Get_DUT_BUSY_MASK()));
            EXPECT_EQ(Set_DUT_BUSY_EdgeSync(), 1);
            EXPECT_EQ(Set_DUT_BUSY_LevelSync(), 1);
            EXPECT_EQ(Get_DUT_BUSY_STATE_1(), Get_DUT_BUSY_STATE_2());
        }
        Set_DUT_BUSY_Timeout(v);
        EXPECT_EQ(Get_DUT_BUSY_Timeout(), v);
    }
    Set_DUT_BUSY_Pin(0, 0);
    Set_DUT_BUSY_Timeout(1000);
    Clear_DUT_BUSY_Highest_Count();
    EXPECT_EQ(Get_DUT_BUSY_Highest_Count(), 0);
}

TEST_P(Sweep, StrobePinsAndMasks)
{
    olvbus_bool (*const setters[])(int32_t, olvbus_bool) = {Set_DUT_WR_Pin, Set_DUT_RD_Pin, Set_DUT_ADDR_Pin,
                                                            Set_DUT_CS_Pin};
    int32_t (*const getters[])(void) = {
        Get_DUT_Control_Addr_Idle_OR, Get_DUT_Control_Addr_Idle_AND, Get_DUT_Control_Addr_Wr_OR,
        Get_DUT_Control_Addr_Wr_AND,  Get_DUT_Control_Data_Idle_OR,  Get_DUT_Control_Data_Idle_AND,
        Get_DUT_Control_Data_Wr_OR,   Get_DUT_Control_Data_Wr_AND,   Get_DUT_Control_Data_Rd_OR,
        Get_DUT_Control_Data_Rd_AND};
    for (auto* set : setters) {
        for (std::int32_t v : kValues) {
            const olvbus_bool accepted = set(v, 1);
            EXPECT_TRUE(IsTruth(accepted));
            EXPECT_EQ(accepted != 0, IsStrobePin(v)) << v;
            for (auto* get : getters) {
                EXPECT_TRUE(InByteRange(get()));
            }
        }
    }
}

TEST_P(Sweep, RegisterCycles)
{
    for (std::int32_t v : kValues) {
        for (std::int32_t w : kValues) {
            EXPECT_TRUE(IsTruth(Try_DUT_Register_Write(v, w)));
        }
        std::int32_t value = -1;
        const olvbus_bool read = Try_DUT_Register_Read(v, &value);
        EXPECT_TRUE(IsTruth(read));
        if (read) {
            EXPECT_TRUE(InByteRange(value)) << value;
        } else {
            EXPECT_EQ(value, -1);
        }
        EXPECT_TRUE(IsTruth(Try_DUT_Register_Read(v, nullptr)));
    }
}

INSTANTIATE_TEST_SUITE_P(Tracing, Sweep, ::testing::Bool(),
                         [](const auto& p) { return std::string(p.param ? "traced" : "untraced"); });

}  // namespace
