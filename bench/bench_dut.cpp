// A DUT register write cycle against the port accesses it is made of, side
// by side in one run. The device is plugged in and always ready, no BUSY pin
// is set, so the cycle is its ten accesses plus the library's own work.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>

#include "library/library.h"
#include "sim/dut_model.h"
#include "sim/simulated_pc.h"

namespace {

using namespace olvbus;

struct Bench {
    explicit Bench(sim::OsFamily family)
        : pc(Config(family)), platform(pc), library(platform), dut(Wiring(), pc.io.Port(0))
    {
        pc.io.Port(0).Attach(&dut);
        library.ProcessAttach();
        library.Select_LPT_123(1);
        library.Set_DUT_WR_Pin(1, false);
        library.Set_DUT_RD_Pin(14, false);
        library.Set_DUT_ADDR_Pin(16, true);
        library.Set_DUT_CS_Pin(17, false);
    }
    ~Bench() { pc.io.Port(0).Attach(nullptr); }

    static sim::SimOsConfig Config(sim::OsFamily family)
    {
        sim::SimOsConfig config;
        config.family = family;
        return config;
    }
    static sim::DutConfig Wiring()
    {
        std::string error;
        return *sim::ParseDutConfig("wr=1-,rd=14-,addr=16+,cs=17-", error);
    }

    sim::SimulatedPc pc;
    sim::SimPlatform platform;
    Library library;
    sim::DutModel dut;
};

void WriteCycle(benchmark::State& state, sim::OsFamily family)
{
    Bench bench(family);
    std::int32_t data = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(bench.library.Try_DUT_Register_Write(0x12, ++data));
    }
    if (bench.dut.Register(0x12) != static_cast<std::uint8_t>(data)) {
        state.SkipWithError("the device did not receive the data");
    }
}

void BM_WriteCycle_Win9x(benchmark::State& state) { WriteCycle(state, sim::OsFamily::kWin9x); }
void BM_WriteCycle_NtDriverRequests(benchmark::State& state) { WriteCycle(state, sim::OsFamily::kNt); }

// The same ten accesses, issued straight at the simulated I/O space.
void BM_TenBarePortAccesses(benchmark::State& state)
{
    Bench bench(sim::OsFamily::kWin9x);
    sim::IoSpace& io = bench.pc.io;
    std::uint8_t data = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(io.InByte(0x379));
        benchmark::DoNotOptimize(io.InByte(0x379));
        io.OutByte(0x37A, 0x0D);
        io.OutByte(0x378, 0x12);
        io.OutByte(0x37A, 0x0C);
        benchmark::DoNotOptimize(io.InByte(0x379));
        benchmark::DoNotOptimize(io.InByte(0x379));
        io.OutByte(0x37A, 0x09);
        io.OutByte(0x378, ++data);
        io.OutByte(0x37A, 0x08);
    }
    if (bench.dut.Register(0x12) != data) {
        state.SkipWithError("the device did not receive the data");
    }
}

BENCHMARK(BM_TenBarePortAccesses);
BENCHMARK(BM_WriteCycle_Win9x);
BENCHMARK(BM_WriteCycle_NtDriverRequests);

}  // namespace

BENCHMARK_MAIN();
