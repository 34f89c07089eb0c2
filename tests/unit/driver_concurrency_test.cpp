// Device control, read and write requests from several threads at once, as
// processors would issue them: deviceLock keeps each request's port accesses
// together and the memory buffer whole. Run under TSan as well.
#include <gtest/gtest.h>

#include <map>
#include <thread>

#include "common/olvexpin_contract.h"
#include "tests/unit/driver_test_rig.h"

namespace olvexpin::host {
namespace {

TEST(DriverConcurrency, EachRequestsPortAccessesStayAdjacent)
{
    DriverRig rig;
    rig.Load();
    ASSERT_EQ(OlvexPinXAAddDevice(rig.frame, &rig.driver, rig.io.PhysicalDevice()), kStatusSuccess);
    DeviceObject* fdo = rig.Fdo();

    constexpr int kPortThreads = 3;
    constexpr int kBufferThreads = 2;
    constexpr int kRequests = 400;
    constexpr uint32_t kSlice = 16;  // each buffer thread owns one slice of the memory buffer
    std::vector<std::thread> threads;
    std::vector<int> mismatches(kPortThreads + kBufferThreads, 0);
    for (int t = 0; t < kPortThreads; ++t) {
        threads.emplace_back([&, t] {
            for (int i = 0; i < kRequests; ++i) {
                const uint8_t value = static_cast<uint8_t>(t * 64 + i % 64);
                // Write the data latch and read it back in one request: the
                // read must see this request's write, not another thread's.
                Irp data = MakeDeviceControl(IOCTL_OLVEXPINXA_DATA, {value}, 1);
                OlvexPinXADeviceControl(rig.frame, fdo, &data);
                mismatches[t] += data.status != OLVEXPIN_STATUS_SUCCESS || data.systemBuffer[0] != value;
                Irp poke = MakeDeviceControl(IOCTL_OLVEXPINXA_POKE, {0x7A, 0x03, value, 0x12}, 0);
                OlvexPinXADeviceControl(rig.frame, fdo, &poke);
            }
        });
    }
    for (int t = 0; t < kBufferThreads; ++t) {
        threads.emplace_back([&, t] {
            const uint32_t at = static_cast<uint32_t>(t) * kSlice;
            for (int i = 0; i < kRequests; ++i) {
                const std::vector<uint8_t> pattern(kSlice, static_cast<uint8_t>(t + 1 + i));
                Irp write = MakeWrite(pattern, at);
                OlvexPinXAWrite(rig.frame, fdo, &write);
                Irp read = MakeRead(kSlice, at);
                OlvexPinXARead(rig.frame, fdo, &read);
                mismatches[kPortThreads + t] += read.information != kSlice || read.systemBuffer != pattern;
                Irp length = MakeDeviceControl(IOCTL_OLVEXPINXA_BUFFER_LENGTH, {}, 4);
                OlvexPinXADeviceControl(rig.frame, fdo, &length);
            }
        });
    }
    for (auto& t : threads) {
        t.join();
    }

    for (size_t t = 0; t < mismatches.size(); ++t) {
        EXPECT_EQ(mismatches[t], 0) << "thread " << t;
    }
    // Every data-register write is followed at once by the same thread's read.
    const auto log = rig.ports.Log();
    ASSERT_EQ(log.size(), static_cast<size_t>(kPortThreads * kRequests * 3));
    for (size_t i = 0; i < log.size(); ++i) {
        if (log[i].write && log[i].port == OLVEXPIN_DATA_PORT) {
            ASSERT_LT(i + 1, log.size());
            EXPECT_FALSE(log[i + 1].write) << "access " << i;
            EXPECT_EQ(log[i + 1].port, OLVEXPIN_DATA_PORT) << "access " << i;
            EXPECT_EQ(log[i + 1].thread, log[i].thread) << "another request between write and read at " << i;
        }
    }
    EXPECT_EQ(rig.context.memory.length, kBufferThreads * kSlice);
    rig.Unload();
    EXPECT_EQ(rig.pool.LiveBlocks(), 0);
    EXPECT_EQ(rig.debugPrint.pool.LiveBlocks(), 0);
}

}  // namespace
}  // namespace olvexpin::host
