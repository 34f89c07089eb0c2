// What logging costs the driver, measured in one run:
//   - one data-register request through the dispatch core with the
//     debug-print client active, and the same request with logging off;
//   - the producer's cost of one DebugPrintFormat message (no waiting, one
//     allocation: see the allocations_per_message counter);
//   - the writer's throughput draining a full queue to the device.
#include <benchmark/benchmark.h>

#include <atomic>
#include <chrono>

#include "common/olvexpin_contract.h"
#include "sys/device_control.h"
#include "sys/host/host_debugprint.h"

namespace {

using namespace olvexpin;

// The port and the device do as little as possible, so what is measured is
// the driver's own path.
class LatchPorts final : public PortAccess {
public:
    uint8_t ReadByte(uint32_t) override { return latch_; }
    uint16_t ReadWord(uint32_t) override { return latch_; }
    void WriteByte(uint32_t, uint8_t value) override { latch_ = value; }
    void WriteWord(uint32_t, uint16_t value) override { latch_ = static_cast<uint8_t>(value); }

private:
    uint8_t latch_ = 0;
};

class CountingDevice final : public DebugPrintDevice {
public:
    uint32_t Open(const DeviceOpenParameters&, void** handle) override
    {
        *handle = this;
        return 0;
    }
    void Write(void*, const void*, uint32_t length) override
    {
        bytes.fetch_add(length, std::memory_order_relaxed);
        records.fetch_add(1, std::memory_order_relaxed);
    }
    void Close(void*) override {}

    std::atomic<uint64_t> bytes{0};
    std::atomic<uint64_t> records{0};
};

void DataRequest(benchmark::State& state, bool logging)
{
    CountingDevice device;
    host::HostDebugPrint debugPrint(device, std::chrono::microseconds(1000));
    if (logging) {
        debugPrint.client.Start("OlvexPinXA checked");
    }
    LatchPorts ports;
    host::HostSpinLock lock;
    host::HostPool pool;
    DriverContext context{&ports, &lock, &pool, &debugPrint.client, {}};
    uint8_t buffer[1] = {0};
    for (auto _ : state) {
        buffer[0] = 0x5A;
        const DeviceControlResult result = OlvexPinXADeviceControlCore(context, IOCTL_OLVEXPINXA_DATA, 1, 1, buffer);
        benchmark::DoNotOptimize(result);
    }
    debugPrint.client.Stop();
    state.counters["records_written"] = static_cast<double>(device.records.load());
}

void BM_DataRequestLoggingActive(benchmark::State& state) { DataRequest(state, true); }
void BM_DataRequestLoggingOff(benchmark::State& state) { DataRequest(state, false); }
BENCHMARK(BM_DataRequestLoggingOff);
BENCHMARK(BM_DataRequestLoggingActive);

// The writer wakes once a second of real time, as in the kernel, so the
// producer is measured as drivers meet it: between two wake-ups, with the
// writer asleep. A fixed count keeps the queue it builds to about 20 MB.
void BM_DebugPrintFormatProducer(benchmark::State& state)
{
    CountingDevice device;
    host::HostDebugPrint debugPrint(device, std::chrono::seconds(1));
    debugPrint.client.Start("OlvexPinXA checked");
    const uint64_t allocationsBefore = debugPrint.pool.Allocations();
    uint32_t code = IOCTL_OLVEXPINXA_DATA;
    for (auto _ : state) {
        DebugPrintFormat(debugPrint.client, "DeviceIoControl: Control code %x InputLength %d OutputLength %d", code,
                         1, 1);
        benchmark::ClobberMemory();
    }
    state.counters["allocations_per_message"] =
        static_cast<double>(debugPrint.pool.Allocations() - allocationsBefore) / static_cast<double>(state.iterations());
    debugPrint.client.Stop();
}
BENCHMARK(BM_DebugPrintFormatProducer)->Iterations(200000);

// The queue is filled while the writer sleeps (a simulated second lasts ten
// real seconds here); the stop wakes it, and the time to the writer's exit is
// the time to drain the whole queue.
void BM_WriterDrainsFullQueue(benchmark::State& state)
{
    const int64_t messages = state.range(0);
    for (auto _ : state) {
        state.PauseTiming();
        CountingDevice device;
        {
            host::HostDebugPrint debugPrint(device, std::chrono::seconds(10));
            debugPrint.client.Start("OlvexPinXA checked");
            for (int64_t i = 0; i < messages; ++i) {
                DebugPrintFormat(debugPrint.client, "DeviceIoControl: %d bytes written", 1);
            }
            state.ResumeTiming();
            debugPrint.client.Stop();
            state.PauseTiming();
        }
        if (device.records.load() != static_cast<uint64_t>(messages) + 2) {
            state.SkipWithError("records lost");
        }
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * messages);
}
BENCHMARK(BM_WriterDrainsFullQueue)->Arg(10000)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
