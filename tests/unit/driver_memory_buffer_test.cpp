// The driver-wide memory buffer as read and write requests see it, and the
// position rules at the edges of 32 bits. Buffers come from the host pool
// and are exactly their length, so ASan sees any byte touched outside.
#include <gtest/gtest.h>

#include <algorithm>

#include "common/olvexpin_contract.h"
#include "sys/memory_buffer.h"
#include "tests/unit/driver_test_rig.h"

namespace olvexpin::host {
namespace {

using Bytes = std::vector<uint8_t>;

class MemoryBufferRequests : public ::testing::Test {
protected:
    void SetUp() override
    {
        rig.Load();
        ASSERT_EQ(OlvexPinXAAddDevice(rig.frame, &rig.driver, rig.io.PhysicalDevice()), kStatusSuccess);
    }

    Irp Write(const Bytes& data, int64_t position)
    {
        Irp irp = MakeWrite(data, position);
        OlvexPinXAWrite(rig.frame, rig.Fdo(), &irp);
        EXPECT_EQ(irp.completions, 1);
        return irp;
    }

    Irp Read(uint32_t length, int64_t position)
    {
        Irp irp = MakeRead(length, position);
        OlvexPinXARead(rig.frame, rig.Fdo(), &irp);
        EXPECT_EQ(irp.completions, 1);
        return irp;
    }

    Bytes Contents() const
    {
        const MemoryBuffer& m = rig.context.memory;
        return m.data == nullptr ? Bytes{} : Bytes(m.data, m.data + m.length);
    }

    DriverRig rig;
};

TEST_F(MemoryBufferRequests, FirstWriteCreatesTheBufferAndAReadReturnsWhatIsThere)
{
    const Irp write = Write({1, 2, 3, 4, 5}, 0);
    EXPECT_EQ(write.status, OLVEXPIN_STATUS_SUCCESS);
    EXPECT_EQ(write.information, 5u);
    EXPECT_EQ(rig.context.memory.length, 5u);
    const Irp read = Read(10, 0);
    EXPECT_EQ(read.status, OLVEXPIN_STATUS_SUCCESS);
    EXPECT_EQ(read.information, 5u);
    EXPECT_EQ(Bytes(read.systemBuffer.begin(), read.systemBuffer.begin() + 5), (Bytes{1, 2, 3, 4, 5}));
    EXPECT_EQ(read.systemBuffer[5], 0xA5) << "a byte past the count was written";
}

TEST_F(MemoryBufferRequests, WritingPastTheEndGrowsZeroFilled)
{
    Write({1, 2, 3, 4, 5}, 0);
    EXPECT_EQ(Write({7, 8, 9}, 10).information, 3u);
    EXPECT_EQ(Contents(), (Bytes{1, 2, 3, 4, 5, 0, 0, 0, 0, 0, 7, 8, 9}));
    EXPECT_EQ(Write({}, 20).information, 0u);
    EXPECT_EQ(rig.context.memory.length, 20u) << "an empty write still reaches its position";
    EXPECT_EQ(Write({6}, 1).information, 1u);
    EXPECT_EQ(rig.context.memory.length, 20u) << "a write inside the buffer never shrinks it";
    EXPECT_EQ(rig.pool.LiveBlocks(), 1);
}

TEST_F(MemoryBufferRequests, AnEmptyWriteAtZeroMakesNoBuffer)
{
    const Irp write = Write({}, 0);
    EXPECT_EQ(write.status, OLVEXPIN_STATUS_SUCCESS);
    EXPECT_EQ(write.information, 0u);
    EXPECT_EQ(rig.context.memory.data, nullptr);
    EXPECT_EQ(rig.pool.LiveBlocks(), 0);
}

struct ReadCase {
    int64_t position;
    uint32_t length;
    uint32_t status;
    uint32_t count;
};

TEST_F(MemoryBufferRequests, ReadPositionsAgainstAFiveByteBuffer)
{
    Write({1, 2, 3, 4, 5}, 0);
    const ReadCase cases[] = {
        {5, 4, OLVEXPIN_STATUS_END_OF_FILE, 0},
        {3, 4, OLVEXPIN_STATUS_SUCCESS, 2},
        {4, 1, OLVEXPIN_STATUS_SUCCESS, 1},
        {0, 0, OLVEXPIN_STATUS_SUCCESS, 0},
        {-1, 4, OLVEXPIN_STATUS_INVALID_PARAMETER, 0},
        {INT64_MIN, 4, OLVEXPIN_STATUS_INVALID_PARAMETER, 0},
        {(int64_t{1} << 32) + 1, 4, OLVEXPIN_STATUS_END_OF_FILE, 0},  // never folded into 32 bits
        {INT64_MAX, 4, OLVEXPIN_STATUS_END_OF_FILE, 0},
    };
    for (const ReadCase& c : cases) {
        const Irp read = Read(c.length, c.position);
        EXPECT_EQ(read.status, c.status) << "position " << c.position;
        EXPECT_EQ(read.information, c.count) << "position " << c.position;
    }
}

TEST_F(MemoryBufferRequests, ReadsWithoutABufferAreAtTheEnd)
{
    EXPECT_EQ(Read(1, 0).status, OLVEXPIN_STATUS_END_OF_FILE);
    Write({1, 2}, 0);
    Irp free = MakeDeviceControl(IOCTL_OLVEXPINXA_FREE_BUFFER, {}, 0);
    OlvexPinXADeviceControl(rig.frame, rig.Fdo(), &free);
    EXPECT_EQ(Read(1, 0).status, OLVEXPIN_STATUS_END_OF_FILE);
}

TEST_F(MemoryBufferRequests, NegativePositionsAreRefusedAndLoggedAsMinusOne)
{
    Write({1, 2, 3}, 0);
    const Irp write = Write({9}, -1);
    EXPECT_EQ(write.status, OLVEXPIN_STATUS_INVALID_PARAMETER);
    EXPECT_EQ(write.information, 0u);
    EXPECT_EQ(Contents(), (Bytes{1, 2, 3}));
    Read(2, -1);
    rig.Unload();
    const auto messages = rig.Messages();
    for (const char* text : {"Write 1 bytes from file pointer -1", "Write: 0 bytes written",
                             "Read 2 bytes from file pointer -1", "Read: 0 bytes returned"}) {
        EXPECT_NE(std::find(messages.begin(), messages.end(), text), messages.end()) << text;
    }
}

// Without pool to grow, the write keeps the old buffer and takes what fits.
TEST_F(MemoryBufferRequests, AWriteThatCannotGrowIsCutToWhatFits)
{
    Write({1, 2, 3, 4, 5}, 0);
    rig.pool.RefuseAll(true);
    Irp cut = Write({9, 9, 9, 9, 9, 9}, 2);
    EXPECT_EQ(cut.status, OLVEXPIN_STATUS_SUCCESS);
    EXPECT_EQ(cut.information, 3u);
    EXPECT_EQ(Contents(), (Bytes{1, 2, 9, 9, 9}));
    Irp beyond = Write({9}, 7);
    EXPECT_EQ(beyond.status, OLVEXPIN_STATUS_SUCCESS);
    EXPECT_EQ(beyond.information, 0u);
    EXPECT_EQ(Contents(), (Bytes{1, 2, 9, 9, 9}));
}

// Positions of 2^32 and more keep their low 32 bits, as the request carries
// them to a 32-bit buffer.
TEST_F(MemoryBufferRequests, WritePositionsUseTheirLow32Bits)
{
    EXPECT_EQ(Write({7, 8}, (int64_t{1} << 32) + 3).information, 2u);
    EXPECT_EQ(Contents(), (Bytes{0, 0, 0, 7, 8}));
    EXPECT_EQ(Read(5, (int64_t{1} << 32) + 3).status, OLVEXPIN_STATUS_END_OF_FILE);
}

// A position whose sum with the length passes 2^32 - 1 would wrap to a small
// end and copy far outside the block; such a write is refused.
TEST_F(MemoryBufferRequests, AWriteWhoseEndWrapsIn32BitsIsRefused)
{
    Write({1, 2, 3, 4, 5}, 0);
    for (const int64_t position : {int64_t{0xFFFFFFF0}, (int64_t{1} << 33) - 4, int64_t{0xFFFFFFFF}}) {
        const Irp write = Write(Bytes(0x20, 0xEE), position);
        EXPECT_EQ(write.status, OLVEXPIN_STATUS_INVALID_PARAMETER) << position;
        EXPECT_EQ(write.information, 0u);
    }
    EXPECT_EQ(Contents(), (Bytes{1, 2, 3, 4, 5}));
}

// Near the top of 32 bits without wrapping: the pool has no block that
// large, so the write is cut to nothing rather than written out of range.
TEST_F(MemoryBufferRequests, AWriteEndingJustBelow4GiBIsCutWhenThePoolRefuses)
{
    Write({1, 2, 3, 4, 5}, 0);
    rig.pool.RefuseLargerThan(1 << 20);
    const Irp write = Write(Bytes(8, 0xEE), 0xFFFFFFF0);
    EXPECT_EQ(write.status, OLVEXPIN_STATUS_SUCCESS);
    EXPECT_EQ(write.information, 0u);
    EXPECT_EQ(Contents(), (Bytes{1, 2, 3, 4, 5}));
}

// The read's sum of position and length is never formed: a length of
// 2^32 - 1 is simply cut at the end. The output holds only what can come.
TEST(MemoryBufferRead, AHugeLengthIsCutAtTheEndWithoutWrapping)
{
    uint8_t block[5] = {1, 2, 3, 4, 5};
    const MemoryBuffer memory{block, 5};
    Bytes out(3, 0xA5);
    const TransferResult result = ReadMemoryBuffer(memory, 2, 0xFFFFFFFFu, out.data());
    EXPECT_EQ(result.status, OLVEXPIN_STATUS_SUCCESS);
    EXPECT_EQ(result.count, 3u);
    EXPECT_EQ(out, (Bytes{3, 4, 5}));
}

}  // namespace
}  // namespace olvexpin::host
