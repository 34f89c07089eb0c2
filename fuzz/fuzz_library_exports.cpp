// A sequence of library calls with arbitrary arguments, tracing on, on either
// family, with a device under test on the bus or none.
#include <cstdint>
#include <memory>
#include <string>

#include "fuzz/fuzz_input.h"
#include "library/library.h"
#include "sim/dut_model.h"
#include "sim/simulated_pc.h"

namespace {

using olvbus::Library;

// Polls are counted, not timed: keep a busy device from making one input
// run for seconds.
constexpr std::int32_t kTimeoutCap = 2000;

void Call(Library& lib, olvbus::fuzz::FuzzInput& in, std::uint8_t op)
{
    const auto a = in.TakeInt();
    const auto b = in.TakeInt();
    switch (op % 46) {
    case 0: lib.Get_OLVBUS_DLL_Version(); break;
    case 1: lib.Trace_Begin(); break;
    case 2: lib.Trace_End(); break;
    case 3: lib.Get_Trace_Buffer(); break;
    case 4: lib.Select_LPT_123(a); break;
    case 5: lib.Get_Data(); break;
    case 6: lib.Set_Data(a); break;
    case 7: lib.Get_Data_Enable(); break;
    case 8: lib.Set_Data_Enable(a); break;
    case 9: lib.Get_Data_Enable_Mask(); break;
    case 10: lib.Set_Data_Enable_Mask(a); break;
    case 11: lib.Get_Status(); break;
    case 12: lib.Get_Control(); break;
    case 13: lib.Set_Control(a); break;
    case 14: lib.DirectWritePrinterPin(a, b); break;
    case 15: lib.DirectReadPrinterPin(a); break;
    case 16: lib.Get_Register(a); break;
    case 17: lib.Set_Register(a, b); break;
    case 18: lib.Peek(a); break;
    case 19: lib.Poke(a, b); break;
    case 20: lib.Get_DUT_BUSY_MASK(); break;
    case 21: lib.Get_DUT_BUSY_STATE_1(); break;
    case 22: lib.Get_DUT_BUSY_STATE_2(); break;
    case 23: lib.Get_DUT_Control_Addr_Idle_OR(); break;
    case 24: lib.Get_DUT_Control_Addr_Idle_AND(); break;
    case 25: lib.Get_DUT_Control_Addr_Wr_OR(); break;
    case 26: lib.Get_DUT_Control_Addr_Wr_AND(); break;
    case 27: lib.Get_DUT_Control_Data_Idle_OR(); break;
    case 28: lib.Get_DUT_Control_Data_Idle_AND(); break;
    case 29: lib.Get_DUT_Control_Data_Wr_OR(); break;
    case 30: lib.Get_DUT_Control_Data_Wr_AND(); break;
    case 31: lib.Get_DUT_Control_Data_Rd_OR(); break;
    case 32: lib.Get_DUT_Control_Data_Rd_AND(); break;
    case 33: lib.Set_DUT_BUSY_Pin(a, b); break;
    case 34: lib.Set_DUT_BUSY_LevelSync(); break;
    case 35: lib.Set_DUT_BUSY_EdgeSync(); break;
    case 36: lib.Set_DUT_WR_Pin(a, b); break;
    case 37: lib.Set_DUT_RD_Pin(a, b); break;
    case 38: lib.Set_DUT_ADDR_Pin(a, b); break;
    case 39: lib.Set_DUT_CS_Pin(a, b); break;
    case 40: lib.Set_DUT_BUSY_Timeout(a > kTimeoutCap ? kTimeoutCap : a); break;
    case 41: lib.Get_DUT_BUSY_Timeout(); break;
    case 42: lib.Clear_DUT_BUSY_Highest_Count(); break;
    case 43: lib.Get_DUT_BUSY_Highest_Count(); break;
    case 44: lib.Try_DUT_Register_Write(a, b); break;
    default: {
        std::int32_t value = -7;
        const bool ok = lib.Try_DUT_Register_Read(a, (b & 1) ? nullptr : &value);
        if (ok && (b & 1) == 0 && (value < 0 || value > 255)) {
            __builtin_trap();
        }
        if (!ok && (b & 1) == 0 && value != -7) {
            __builtin_trap();  // a failed read leaves the caller's value alone
        }
        break;
    }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    olvbus::fuzz::FuzzInput input(data, size);
    const std::uint8_t setup = input.Take<std::uint8_t>();
    olvbus::sim::SimOsConfig config;
    config.family = (setup & 1) ? olvbus::sim::OsFamily::kWin9x : olvbus::sim::OsFamily::kNt;
    config.driverInstalled = (setup & 2) == 0;
    if (setup & 4) {
        config.failRequests = {std::nullopt, 3};
    }
    olvbus::sim::SimulatedPc pc(config);
    std::unique_ptr<olvbus::sim::DutModel> dut;
    if (setup & 8) {
        std::string error;
        const auto wiring = olvbus::sim::ParseDutConfig("wr=1-,rd=14-,addr=16+,cs=17-,busy=11+", error);
        if (wiring) {
            dut = std::make_unique<olvbus::sim::DutModel>(*wiring, pc.io.Port(0));
            pc.io.Port(0).Attach(dut.get());
        }
    }
    olvbus::sim::SimPlatform platform(pc);
    Library library(platform);
    library.ProcessAttach();
    library.Trace_Begin();
    library.Set_DUT_BUSY_Timeout(kTimeoutCap);
    for (int calls = 0; input.Remaining() > 0 && calls < 200; ++calls) {
        Call(library, input, input.Take<std::uint8_t>());
    }
    library.ProcessDetach();
    if (pc.os.OpenHandleCount() != 0) {
        __builtin_trap();  // unload leaves no handle open
    }
    return 0;
}
