// The library's exports against the bare simulated access each one makes,
// side by side in one run, so the ratio holds on a noisy machine.
#include <benchmark/benchmark.h>

#include <sys/resource.h>

#include <cstdint>

#include "common/olvexpin_contract.h"
#include "library/library.h"
#include "sim/simulated_pc.h"

namespace {

using olvbus::Library;
using olvbus::sim::OsFamily;
using olvbus::sim::SimOsConfig;
using olvbus::sim::SimPlatform;
using olvbus::sim::SimulatedPc;

SimOsConfig Family(OsFamily family)
{
    SimOsConfig config;
    config.family = family;
    return config;
}

struct Bench {
    explicit Bench(OsFamily family) : pc(Family(family)), platform(pc), library(platform)
    {
        library.ProcessAttach();
        library.Select_LPT_123(1);
    }
    SimulatedPc pc;
    SimPlatform platform;
    Library library;
};

void SetData_9x(benchmark::State& state)
{
    Bench bench(OsFamily::kWin9x);
    std::int32_t value = 0;
    for (auto _ : state) {
        bench.library.Set_Data(++value);
    }
}
BENCHMARK(SetData_9x);

// The port write Set_Data makes on the 9x family: one 8-bit output through the
// platform, which on Windows 98 is the out instruction itself.
void BarePortWrite(benchmark::State& state)
{
    SimulatedPc pc;
    SimPlatform platform(pc);
    olvbus::Platform& port = platform;
    benchmark::DoNotOptimize(&port);
    std::uint8_t value = 0;
    for (auto _ : state) {
        port.OutByte(0x378, ++value);
    }
}
BENCHMARK(BarePortWrite);

void SetData_Nt(benchmark::State& state)
{
    Bench bench(OsFamily::kNt);
    std::int32_t value = 0;
    for (auto _ : state) {
        bench.library.Set_Data(++value);
    }
}
BENCHMARK(SetData_Nt);

void BareDataRequestDispatch(benchmark::State& state)
{
    SimulatedPc pc;
    std::uint8_t buffer[1] = {0};
    for (auto _ : state) {
        ++buffer[0];
        benchmark::DoNotOptimize(pc.driver.DeviceControl(IOCTL_OLVEXPINXA_DATA, 1, 0, buffer));
    }
}
BENCHMARK(BareDataRequestDispatch);

// Traced calls: cost per call over runs of different lengths (constant when
// appends are amortised), and the trace's capacity against its length.
void TracedSetData(benchmark::State& state)
{
    Bench bench(OsFamily::kWin9x);
    double capacityPerLength = 0;
    rusage before{};
    getrusage(RUSAGE_SELF, &before);
    for (auto _ : state) {
        state.PauseTiming();
        bench.library.Trace_Begin();
        state.ResumeTiming();
        for (std::int64_t i = 0; i < state.range(0); ++i) {
            bench.library.Set_Data(static_cast<std::int32_t>(i));
        }
        const auto& trace = bench.library.State().traceText;
        capacityPerLength = static_cast<double>(trace.Capacity()) / static_cast<double>(trace.Length());
    }
    rusage after{};
    getrusage(RUSAGE_SELF, &after);
    const double calls = static_cast<double>(state.iterations() * state.range(0));
    state.SetItemsProcessed(state.iterations() * state.range(0));
    state.counters["capacity_per_length"] = capacityPerLength;
    // Fresh memory costs a page fault per page on first touch; on a virtual
    // machine that is most of what grows with the length.
    state.counters["page_faults_per_call"] = static_cast<double>(after.ru_minflt - before.ru_minflt) / calls;
}
BENCHMARK(TracedSetData)->Arg(1000)->Arg(10000)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);

void GetTraceBuffer(benchmark::State& state)
{
    Bench bench(OsFamily::kWin9x);
    bench.library.Trace_Begin();
    for (std::int64_t i = 0; i < state.range(0); ++i) {
        bench.library.Set_Data(static_cast<std::int32_t>(i));
    }
    for (auto _ : state) {
        benchmark::DoNotOptimize(bench.library.Get_Trace_Buffer());
    }
    state.counters["trace_bytes"] = static_cast<double>(bench.library.State().traceText.Length());
}
BENCHMARK(GetTraceBuffer)->Arg(10)->Arg(1000000);

}  // namespace

BENCHMARK_MAIN();
