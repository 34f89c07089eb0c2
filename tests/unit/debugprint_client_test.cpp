// The debug-print client on the host binding, writing to the substitute
// device: what reaches the device, in which order, and what is left behind.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "sim/debugprint_device.h"
#include "sys/debugprint/debugprint_record.h"
#include "sys/debugprint/request_names.h"
#include "sys/host/host_debugprint.h"
#include "tools/dpreader/record_stream.h"

namespace olvexpin {
namespace {

using olvbus::sim::DebugPrintDeviceSim;
using host::HostDebugPrint;

constexpr char kSource[] = "OlvexPinXA checked";

std::vector<std::string> Texts(const DebugPrintDeviceSim& device)
{
    std::vector<std::string> texts;
    for (const auto& record : olvbus::dpreader::DecodeRecordStream(device.Stream()).records) {
        texts.push_back(record.text);
    }
    return texts;
}

// Real time is bounded only so that a broken writer fails the test instead of
// hanging it.
template <typename Condition>
bool Eventually(Condition condition)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

void ExpectNothingLeft(HostDebugPrint& dp, const DebugPrintDeviceSim& device)
{
    EXPECT_EQ(dp.pool.LiveBlocks(), 0) << "pool blocks not released";
    EXPECT_EQ(dp.threads.References(), 0) << "thread object still referenced";
    EXPECT_EQ(dp.threads.OpenHandles(), 0) << "thread handle still open";
    EXPECT_EQ(device.OpenHandles(), 0) << "device handle still open";
}

TEST(DebugPrintRecord, CloseRecordIsLaidOutByteForByte)
{
    const TimeFields time{2002, 6, 30, 18, 23, 43, 512, 0};
    const uint16_t sourceBytes = RecordTextBytes(kSource);
    const uint16_t textBytes = RecordTextBytes("Close");
    ASSERT_EQ(sourceBytes, 19);
    ASSERT_EQ(textBytes, 6);
    const uint32_t length = DebugPrintRecordLength(sourceBytes, textBytes);
    ASSERT_EQ(length, 41u);

    std::vector<uint8_t> record(length + 8, 0xEE);
    BuildDebugPrintRecord(record.data(), time, kSource, sourceBytes, "Close", textBytes);

    const uint8_t timeBytes[16] = {0xD2, 0x07, 6, 0, 30, 0, 18, 0, 23, 0, 43, 0, 0x00, 0x02, 0, 0};
    EXPECT_EQ(0, std::memcmp(record.data(), timeBytes, 16));
    EXPECT_EQ(0, std::memcmp(record.data() + 16, "OlvexPinXA checked\0Close\0", 25));
    for (uint32_t i = length; i < record.size(); ++i) {
        EXPECT_EQ(record[i], 0xEE) << "byte " << i << " written past the record";
    }
}

// Texts of 65,535 characters or more: the 16-bit length with terminator would
// wrap, so the text is cut to 65,534 characters and the record holds exactly
// what was copied.
TEST(DebugPrintRecord, OverlongTextsAreCutToSixteenBitLengths)
{
    for (const size_t length : {size_t{65533}, size_t{65534}, size_t{65535}, size_t{70000}}) {
        const std::string text(length, 'q');
        const uint16_t bytes = RecordTextBytes(text.c_str());
        EXPECT_EQ(bytes, std::min<size_t>(length, 65534) + 1) << length;
    }
    const std::string name(65535, 'n');
    const std::string text(70000, 't');
    const uint16_t nameBytes = RecordTextBytes(name.c_str());
    const uint16_t textBytes = RecordTextBytes(text.c_str());
    const uint32_t length = DebugPrintRecordLength(nameBytes, textBytes);
    EXPECT_EQ(length, 16u + 65535u + 65535u);
    std::vector<uint8_t> record(length);  // ASan catches a byte past the end
    BuildDebugPrintRecord(record.data(), TimeFields{}, name.c_str(), nameBytes, text.c_str(), textBytes);
    const auto decoded = olvbus::dpreader::DecodeRecordStream(record);
    ASSERT_EQ(decoded.records.size(), 1u);
    EXPECT_EQ(decoded.trailingBytes, 0u);
    EXPECT_EQ(decoded.records[0].source.size(), 65534u);
    EXPECT_EQ(decoded.records[0].text.size(), 65534u);
}

struct TimeCase {
    int64_t time;
    TimeFields expected;
};

TEST(HostClock, BreaksSystemTimeIntoTimeFields)
{
    const int64_t second = kTimeUnitsPerSecond;
    const int64_t day = 86400 * second;
    const TimeCase cases[] = {
        {0, {1601, 1, 1, 0, 0, 0, 0, 1}},
        {host::kDefaultStartTime, {2002, 6, 30, 18, 23, 43, 0, 0}},
        {host::kDefaultStartTime + 1234567, {2002, 6, 30, 18, 23, 43, 123, 0}},
        {host::kDefaultStartTime + 6 * 3600 * second, {2002, 7, 1, 0, 23, 43, 0, 1}},
        // 29 February 2000 (a leap year by the 400-year rule), a Tuesday.
        {(static_cast<int64_t>(946684800 + 59 * 86400) + 11644473600LL) * second, {2000, 2, 29, 0, 0, 0, 0, 2}},
        {(static_cast<int64_t>(4107456000LL) + 11644473600LL) * second + day - 1, {2100, 2, 28, 23, 59, 59, 999, 0}},
    };
    host::SimulatedClock clock;
    for (const TimeCase& c : cases) {
        TimeFields f{};
        clock.TimeToTimeFields(c.time, f);
        EXPECT_EQ((std::vector<int>{f.year, f.month, f.day, f.hour, f.minute, f.second, f.milliseconds, f.weekday}),
                  (std::vector<int>{c.expected.year, c.expected.month, c.expected.day, c.expected.hour,
                                    c.expected.minute, c.expected.second, c.expected.milliseconds,
                                    c.expected.weekday}))
            << c.time;
    }
}

class DebugPrintClientTest : public ::testing::Test {
protected:
    DebugPrintDeviceSim device;
    HostDebugPrint dp{device};
};

TEST_F(DebugPrintClientTest, WritesEveryMessageInOrderAndEndsWithTheClosingRecord)
{
    DebugPrintStart(dp.client, kSource);
    ASSERT_TRUE(dp.client.LoggingActive());
    DebugPrintText(dp.client, "Close");
    DebugPrintFormat(dp.client, "Read %d bytes from file pointer %d", 4, -1);
    const RequestCodes pnp{kIrpMjPnp, 0x0E, 0, 0, 0};
    DebugPrintFormat(dp.client, "PnP %I", &pnp);
    DebugPrintStop(dp.client);

    EXPECT_EQ(Texts(device), (std::vector<std::string>{"DebugPrint logging started", "Close",
                                                       "Read 4 bytes from file pointer -1", "PnP IRP_MJ_PNP:Nowt",
                                                       "DebugPrint logging ended"}));
    const auto records = device.Records();
    ASSERT_EQ(records.size(), 5u);
    EXPECT_EQ(records[1].size(), 41u) << "one write per record, with the record's length";
    EXPECT_FALSE(device.ParametersRejected());
    EXPECT_EQ(dp.threads.LastPriority(), 16);
    EXPECT_FALSE(dp.client.LoggingActive());
    ExpectNothingLeft(dp, device);
}

TEST_F(DebugPrintClientTest, DeliversWithoutBeingWokenWithinOneWakeUp)
{
    DebugPrintStart(dp.client, kSource);
    DebugPrintText(dp.client, "PnP RemoveDevice");
    EXPECT_TRUE(Eventually([&] { return Texts(device).size() == 2; }));
    DebugPrintStop(dp.client);
}

TEST_F(DebugPrintClientTest, FormattedMessagesKeepAtMost99Characters)
{
    DebugPrintStart(dp.client, kSource);
    const std::string format(120, 'f');
    DebugPrintFormat(dp.client, format.c_str());
    DebugPrintStop(dp.client);
    ASSERT_EQ(Texts(device).size(), 3u);
    EXPECT_EQ(Texts(device)[1], format.substr(0, 99));
}

void FormatSized(DebugPrintClient& client, uint32_t size, const char* format, ...)
{
    va_list arguments;
    va_start(arguments, format);
    DebugPrintFormatSized(client, size, format, arguments);
    va_end(arguments);
}

TEST_F(DebugPrintClientTest, SizedFormattingCutsToTheChosenSize)
{
    DebugPrintStart(dp.client, kSource);
    FormatSized(dp.client, 10, "Write: %d bytes written", 5);
    FormatSized(dp.client, 0, "nothing %d fits", 5);  // an empty message, no store before the buffer
    dp.pool.RefuseLargerThan(4000);
    FormatSized(dp.client, 5000, "too big %d", 1);
    dp.pool.RefuseLargerThan(UINT32_MAX);
    DebugPrintStop(dp.client);
    EXPECT_EQ(Texts(device), (std::vector<std::string>{"DebugPrint logging started", "Write: 5 ", "",
                                                       "DebugPrint: Could not allocate buffer",
                                                       "DebugPrint logging ended"}));
    ExpectNothingLeft(dp, device);
}

TEST_F(DebugPrintClientTest, AMessageWithoutPoolIsDroppedSilently)
{
    DebugPrintStart(dp.client, kSource);
    dp.pool.RefuseNext(1);
    DebugPrintText(dp.client, "lost");
    DebugPrintText(dp.client, "kept");
    DebugPrintStop(dp.client);
    EXPECT_EQ(Texts(device), (std::vector<std::string>{"DebugPrint logging started", "kept", "DebugPrint logging ended"}));
}

TEST_F(DebugPrintClientTest, OverlongSourceNameIsCutNotWrapped)
{
    const std::string name(65535, 'n');
    DebugPrintStart(dp.client, name.c_str());
    DebugPrintText(dp.client, "Close");
    DebugPrintStop(dp.client);
    const auto records = device.Records();
    ASSERT_EQ(records.size(), 3u);
    EXPECT_EQ(records[1].size(), 16u + 65535u + 6u);
    EXPECT_EQ(Texts(device)[1], "Close");
    ExpectNothingLeft(dp, device);
}

TEST_F(DebugPrintClientTest, GivesUpAfterFifteenAttemptsAndReleasesEverything)
{
    device.SetPresent(false);
    const int64_t started = dp.clock.QuerySystemTime();
    DebugPrintStart(dp.client, kSource);
    DebugPrintText(dp.client, "queued while opening");
    ASSERT_TRUE(Eventually([&] { return !dp.client.LoggingActive(); }));
    ASSERT_TRUE(Eventually([&] { return dp.threads.Terminated() == 1; }));

    EXPECT_EQ(device.OpenAttempts(), 15);
    EXPECT_GE(dp.clock.QuerySystemTime() - started, 300 * kTimeUnitsPerSecond);
    const uint64_t allocations = dp.pool.Allocations();
    DebugPrintText(dp.client, "dropped");
    EXPECT_EQ(dp.pool.Allocations(), allocations) << "a message after giving up was still built";
    EXPECT_EQ(dp.pool.LiveBlocks(), 1) << "only the name copy is left before unload";

    DebugPrintStop(dp.client);
    EXPECT_TRUE(device.Records().empty());
    ExpectNothingLeft(dp, device);
}

TEST_F(DebugPrintClientTest, MessagesQueuedWhileOpeningAreWrittenOnceTheDeviceAppears)
{
    device.SetPresent(false);
    device.PresentFromAttempt(3);
    DebugPrintStart(dp.client, kSource);
    DebugPrintText(dp.client, "first");
    DebugPrintText(dp.client, "second");
    ASSERT_TRUE(Eventually([&] { return device.OpenHandles() == 1; }));
    DebugPrintStop(dp.client);
    EXPECT_EQ(device.OpenAttempts(), 3);
    EXPECT_EQ(Texts(device), (std::vector<std::string>{"DebugPrint logging started", "first", "second",
                                                       "DebugPrint logging ended"}));
    ExpectNothingLeft(dp, device);
}

TEST_F(DebugPrintClientTest, UnloadWhileOpeningEndsTheWriterWithoutWriting)
{
    device.SetPresent(false);
    DebugPrintStart(dp.client, kSource);
    DebugPrintText(dp.client, "never written");
    DebugPrintStop(dp.client);
    EXPECT_TRUE(Eventually([&] { return dp.threads.Terminated() == 1; }));
    EXPECT_LE(device.OpenAttempts(), 2);
    EXPECT_TRUE(device.Records().empty());
    ExpectNothingLeft(dp, device);
}

enum class StartFault { NameCopy, ThreadCreation, ThreadReference };

class DebugPrintStartFailure : public DebugPrintClientTest, public ::testing::WithParamInterface<StartFault> {};

// However start fails, logging stays off, nothing stays allocated or
// referenced, no writer is left running, and unload returns at once.
TEST_P(DebugPrintStartFailure, LeavesLoggingOffAndNothingBehind)
{
    switch (GetParam()) {
    case StartFault::NameCopy: dp.pool.RefuseNext(1); break;
    case StartFault::ThreadCreation: dp.threads.FailCreate(true); break;
    case StartFault::ThreadReference: dp.threads.FailReference(true); break;
    }
    DebugPrintStart(dp.client, kSource);
    EXPECT_FALSE(dp.client.LoggingActive());
    // A writer that was created has opened the device, drained and closed it
    // by the time start returns.
    const int writers = GetParam() == StartFault::ThreadReference ? 1 : 0;
    EXPECT_EQ(device.OpenAttempts(), writers) << "start returned while its writer still ran";
    EXPECT_EQ(device.OpenHandles(), 0) << "start returned while its writer still ran";
    DebugPrintText(dp.client, "dropped");
    DebugPrintStop(dp.client);
    EXPECT_TRUE(Texts(device).empty());
    ExpectNothingLeft(dp, device);
}

INSTANTIATE_TEST_SUITE_P(Faults, DebugPrintStartFailure,
                         ::testing::Values(StartFault::NameCopy, StartFault::ThreadCreation,
                                           StartFault::ThreadReference));

// Producers on several threads while the driver unloads: each producer's
// messages arrive in its own order, none twice, the closing record is the
// last, and nothing queued late is leaked.
TEST_F(DebugPrintClientTest, ManyProducersAndAStop)
{
    constexpr int kProducers = 4;
    constexpr int kMessages = 3000;
    DebugPrintStart(dp.client, kSource);
    std::atomic<int> produced{0};
    std::vector<std::thread> producers;
    for (int p = 0; p < kProducers; ++p) {
        producers.emplace_back([&, p] {
            for (int m = 0; m < kMessages; ++m) {
                DebugPrintFormat(dp.client, "producer %d message %d", p, m);
                produced.fetch_add(1);
            }
        });
    }
    ASSERT_TRUE(Eventually([&] { return produced.load() > kProducers * kMessages / 4; }));
    DebugPrintStop(dp.client);
    for (auto& t : producers) {
        t.join();
    }

    const auto texts = Texts(device);
    ASSERT_GE(texts.size(), 2u);
    EXPECT_EQ(texts.front(), "DebugPrint logging started");
    EXPECT_EQ(texts.back(), "DebugPrint logging ended");
    std::vector<int> next(kProducers, 0);
    for (size_t i = 1; i + 1 < texts.size(); ++i) {
        int p = -1;
        int m = -1;
        ASSERT_EQ(std::sscanf(texts[i].c_str(), "producer %d message %d", &p, &m), 2) << texts[i];
        ASSERT_TRUE(p >= 0 && p < kProducers);
        EXPECT_GE(m, next[p]) << "producer " << p << " out of order or repeated";
        next[p] = m + 1;
    }
    ExpectNothingLeft(dp, device);
}

TEST_F(DebugPrintClientTest, ManyProducersLoseNothingBeforeAnOrderlyStop)
{
    constexpr int kProducers = 4;
    constexpr int kMessages = 1000;
    DebugPrintStart(dp.client, kSource);
    std::vector<std::thread> producers;
    for (int p = 0; p < kProducers; ++p) {
        producers.emplace_back([&, p] {
            for (int m = 0; m < kMessages; ++m) {
                DebugPrintFormat(dp.client, "producer %d message %d", p, m);
            }
        });
    }
    for (auto& t : producers) {
        t.join();
    }
    DebugPrintStop(dp.client);
    EXPECT_EQ(Texts(device).size(), static_cast<size_t>(kProducers * kMessages + 2));
    ExpectNothingLeft(dp, device);
}

}  // namespace
}  // namespace olvexpin
