// OlvexPin's device control dispatch over the request contract, on the
// simulated port space: statuses, counts, bytes, port accesses and messages.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "common/olvexpin_contract.h"
#include "sim/simulated_pc.h"
#include "tests/support/message_recorder.h"
#include "tests/support/sim_board.h"

namespace olvbus::test {
namespace {

using Bytes = std::vector<std::uint8_t>;
using Accesses = std::vector<sim::PortAccessRecord>;

constexpr std::uint32_t kOk = OLVEXPIN_STATUS_SUCCESS;
constexpr std::uint32_t kBadParameter = OLVEXPIN_STATUS_INVALID_PARAMETER;
constexpr std::uint32_t kBadRequest = OLVEXPIN_STATUS_INVALID_DEVICE_REQUEST;

struct Driver : ::testing::Test {
    Driver()
    {
        pc.io.Record(true);
        pc.driver.SetDebugPrint(&log);
    }

    struct Reply {
        std::uint32_t status;
        std::uint32_t count;
        Bytes buffer;  // the whole system buffer afterwards
    };

    // One request as the I/O manager hands it over: a system buffer of
    // max(in, out) bytes with the input at its start.
    Reply Send(std::uint32_t code, Bytes input, std::uint32_t out)
    {
        Bytes buffer(std::max<std::size_t>(input.size(), out), 0xEE);
        std::copy(input.begin(), input.end(), buffer.begin());
        const auto result = pc.driver.DeviceControl(code, static_cast<std::uint32_t>(input.size()), out,
                                                    buffer.empty() ? nullptr : buffer.data());
        return {result.status, result.count, buffer};
    }

    void Fill(Bytes bytes)
    {
        auto& memory = pc.driver.Context().memory;
        memory.data = static_cast<std::uint8_t*>(pc.driver.Pool().Allocate(static_cast<std::uint32_t>(bytes.size())));
        std::memcpy(memory.data, bytes.data(), bytes.size());
        memory.length = static_cast<std::uint32_t>(bytes.size());
    }

    sim::SimulatedPc pc;
    MessageRecorder log;
};

// What the register, offset and raw-port codes do, case by case.
struct PortCase {
    const char* name;
    std::uint32_t code;
    Bytes input;
    std::uint32_t out;
    std::uint32_t status;
    std::uint32_t count;
    Bytes output;  // the first bytes of the system buffer when the status is a success
    Accesses accesses;
    std::vector<std::string> inner;  // messages between the first and the last
};

// Cases print as their names: printing their raw bytes would read padding.
void PrintTo(const PortCase& c, std::ostream* os) { *os << c.name; }

const std::string kD = "DeviceIoControl: IOCTL_OLVEXPINXA_";

const PortCase kPortCases[] = {
    {"data_write_then_read", IOCTL_OLVEXPINXA_DATA, {0x5A}, 1, kOk, 1, {0x5A}, {Wr(0x378, 0x5A), Rd(0x378, 0x5A)},
     {kD + "DATA InputLength 1", kD + "DATA OutputLength 1"}},
    {"data_read", IOCTL_OLVEXPINXA_DATA, {}, 1, kOk, 1, {0x00}, {Rd(0x378, 0x00)}, {kD + "DATA OutputLength 1"}},
    {"data_write", IOCTL_OLVEXPINXA_DATA, {0x33}, 0, kOk, 0, {}, {Wr(0x378, 0x33)}, {kD + "DATA InputLength 1"}},
    {"status_nothing", IOCTL_OLVEXPINXA_STATUS, {}, 0, kOk, 0, {}, {}, {}},
    {"status_read", IOCTL_OLVEXPINXA_STATUS, {}, 1, kOk, 1, {0x7F}, {Rd(0x379, 0x7F)}, {kD + "STATUS OutputLength 1"}},
    {"control_write_bad_output", IOCTL_OLVEXPINXA_CONTROL, {0x04}, 2, kBadParameter, 2, {}, {Wr(0x37A, 0x04)},
     {kD + "CONTROL InputLength 1", kD + "CONTROL OutputLength 2 > 1, returning STATUS_INVALID_PARAMETER"}},
    {"data_bad_input_still_reads", IOCTL_OLVEXPINXA_DATA, {1, 2}, 1, kBadParameter, 1, {}, {Rd(0x378, 0x00)},
     {kD + "DATA InputLength 2 > 1, returning STATUS_INVALID_PARAMETER", kD + "DATA OutputLength 1"}},
    {"get_register", IOCTL_OLVEXPINXA_GET_REGISTER, {0x02, 0x00}, 1, kOk, 1, {0xC0}, {Rd(0x37A, 0xC0)},
     {kD + "GET_REGISTER (offset 2)", kD + "GET_REGISTER (offset 2) returning 192"}},
    {"get_register_bad_output", IOCTL_OLVEXPINXA_GET_REGISTER, {0x02, 0x00}, 3, kBadParameter, 3, {}, {},
     {kD + "GET_REGISTER (offset 2)",
      (kD + "GET_REGISTER OutputLength 3 <> 1, returning STATUS_INVALID_PARAMETER").substr(0, 99)}},
    {"get_register_no_output", IOCTL_OLVEXPINXA_GET_REGISTER, {0x02, 0x00}, 0, kBadParameter, 0, {}, {},
     {kD + "GET_REGISTER (offset 2)",
      (kD + "GET_REGISTER OutputLength 0 <> 1, returning STATUS_INVALID_PARAMETER").substr(0, 99)}},
    {"get_register_bad_input", IOCTL_OLVEXPINXA_GET_REGISTER, {0x02}, 1, kBadParameter, 1, {}, {},
     {(kD + "GET_REGISTER InputLength 1 <> 2, returning STATUS_INVALID_PARAMETER").substr(0, 99)}},
    {"set_register_past_16_bits", IOCTL_OLVEXPINXA_SET_REGISTER, {0xFF, 0xFF, 0x01}, 0, kOk, 0, {}, {Wr(0x10377, 0x01)},
     {kD + "SET_REGISTER(offset 65535, data 1)"}},
    {"set_register_output_gives_nothing_back", IOCTL_OLVEXPINXA_SET_REGISTER, {0x00, 0x00, 0x42}, 8, kOk, 0, {},
     {Wr(0x378, 0x42)}, {kD + "SET_REGISTER(offset 0, data 66)"}},
    {"set_register_bad_input", IOCTL_OLVEXPINXA_SET_REGISTER, {0, 0}, 0, kBadParameter, 0, {}, {},
     {(kD + "SET_REGISTER InputLength 2 <> 3, returning STATUS_INVALID_PARAMETER").substr(0, 99)}},
    {"peek_byte", IOCTL_OLVEXPINXA_PEEK, {0x79, 0x03}, 1, kOk, 1, {0x7F}, {Rd(0x379, 0x7F)},
     {kD + "PEEK (i/o port 889)", kD + "PEEK (i/o port 889) returning uint8 127"}},
    {"peek_word", IOCTL_OLVEXPINXA_PEEK, {0x79, 0x03}, 2, kOk, 2, {0x7F, 0xC0}, {{sim::AccessKind::kReadWord, 0x379, 0xC07F}},
     {kD + "PEEK (i/o port 889)", kD + "PEEK (i/o port 889) returning uint16 49279"}},
    {"peek_bad_output", IOCTL_OLVEXPINXA_PEEK, {0x79, 0x03}, 3, kBadParameter, 3, {}, {},
     {kD + "PEEK (i/o port 889)", kD + "PEEK OutputLength 3 <> 1 or 2, returning STATUS_INVALID_PARAMETER"}},
    {"peek_bad_input", IOCTL_OLVEXPINXA_PEEK, {0x79, 0x03, 0x00}, 1, kBadParameter, 1, {}, {},
     {kD + "PEEK InputLength 3 <> 2, returning STATUS_INVALID_PARAMETER"}},
    {"poke_byte", IOCTL_OLVEXPINXA_POKE, {0x78, 0x03, 0x99}, 0, kOk, 0, {}, {Wr(0x378, 0x99)},
     {kD + "POKE(i/o port 888, uint8 data 153)"}},
    {"poke_word", IOCTL_OLVEXPINXA_POKE, {0x78, 0x03, 0x34, 0x12}, 0, kOk, 0, {},
     {{sim::AccessKind::kWriteWord, 0x378, 0x1234}}, {kD + "POKE(i/o port 888, uint16 data 4660)"}},
    {"poke_output_gives_nothing_back", IOCTL_OLVEXPINXA_POKE, {0x78, 0x03, 0x34, 0x12}, 16, kOk, 0, {},
     {{sim::AccessKind::kWriteWord, 0x378, 0x1234}}, {kD + "POKE(i/o port 888, uint16 data 4660)"}},
    {"poke_bad_input", IOCTL_OLVEXPINXA_POKE, {1, 2, 3, 4, 5}, 0, kBadParameter, 0, {}, {},
     {kD + "POKE InputLength 5 <> 3 or 4, returning STATUS_INVALID_PARAMETER"}},
    {"unknown_code", 0x220410, {1}, 1, kBadRequest, 0, {}, {}, {}},
    {"unknown_method", IOCTL_OLVEXPINXA_DATA | 3, {1}, 1, kBadRequest, 0, {}, {}, {}},
};

class PortRequest : public Driver, public ::testing::WithParamInterface<PortCase> {};

TEST_P(PortRequest, AnswersWithStatusCountBytesAccessesAndMessages)
{
    const PortCase& c = GetParam();
    const Reply reply = Send(c.code, c.input, c.out);
    EXPECT_EQ(reply.status, c.status);
    EXPECT_EQ(reply.count, c.count);
    if (c.status == kOk) {
        EXPECT_EQ(Bytes(reply.buffer.begin(), reply.buffer.begin() + c.output.size()), c.output);
    }
    EXPECT_EQ(pc.io.Accesses(), c.accesses);

    char first[100];
    olvexpin::FormatDebugTextF(first, sizeof first, "DeviceIoControl: Control code %x InputLength %d OutputLength %d",
                               c.code, static_cast<int>(c.input.size()), static_cast<int>(c.out));
    std::vector<std::string> expected{first};
    expected.insert(expected.end(), c.inner.begin(), c.inner.end());
    expected.push_back("DeviceIoControl: " + std::to_string(c.count) + " bytes written");
    EXPECT_EQ(log.Take(), expected);
}

INSTANTIATE_TEST_SUITE_P(Codes, PortRequest, ::testing::ValuesIn(kPortCases),
                         [](const auto& p) { return std::string(p.param.name); });

TEST_F(Driver, FirstMessageShowsTheCodeAsEightHexDigits)
{
    Send(IOCTL_OLVEXPINXA_DATA, {}, 0);
    EXPECT_EQ(log.Take().front(), "DeviceIoControl: Control code 00220400 InputLength 0 OutputLength 0");
}

TEST_F(Driver, BufferLengthNeedsFourBytesOfOutput)
{
    Fill({1, 2, 3, 4, 5});
    for (std::uint32_t code : {IOCTL_OLVEXPINXA_BUFFER_LENGTH, IOCTL_OLVEXPINXA_BUFFER_LENGTH_2}) {
        const Reply small = Send(code, {}, 3);
        EXPECT_EQ(small.status, kBadParameter);
        EXPECT_EQ(small.count, 0u);
        const Reply reply = Send(code, {9, 9, 9, 9, 9, 9, 9, 9, 9}, 8);
        EXPECT_EQ(reply.status, kOk);
        EXPECT_EQ(reply.count, 4u);
        EXPECT_EQ(Bytes(reply.buffer.begin(), reply.buffer.begin() + 4), (Bytes{5, 0, 0, 0}));
    }
    EXPECT_TRUE(pc.io.Accesses().empty());
}

TEST_F(Driver, ReadBufferCopiesTheStartUpToTheLength)
{
    Reply none = Send(IOCTL_OLVEXPINXA_READ_BUFFER, {}, 0);
    EXPECT_EQ(none.status, kOk);
    EXPECT_EQ(none.count, 0u);
    EXPECT_EQ(Send(IOCTL_OLVEXPINXA_READ_BUFFER, {}, 1).status, kBadParameter);

    Fill({10, 20, 30});
    const Reply two = Send(IOCTL_OLVEXPINXA_READ_BUFFER, {}, 2);
    EXPECT_EQ(two.status, kOk);
    EXPECT_EQ(two.count, 2u);
    EXPECT_EQ(two.buffer, (Bytes{10, 20}));
    const Reply all = Send(IOCTL_OLVEXPINXA_READ_BUFFER, {}, 3);
    EXPECT_EQ(all.buffer, (Bytes{10, 20, 30}));
    const Reply past = Send(IOCTL_OLVEXPINXA_READ_BUFFER, {}, 4);
    EXPECT_EQ(past.status, kBadParameter);
    EXPECT_EQ(past.count, 0u);
}

TEST_F(Driver, ClearZerosAndFreeReleasesTwiceQuietly)
{
    EXPECT_EQ(Send(IOCTL_OLVEXPINXA_CLEAR_BUFFER, {}, 0).status, kOk);  // no buffer yet
    Fill({7, 7, 7});
    const Reply cleared = Send(IOCTL_OLVEXPINXA_CLEAR_BUFFER, {1, 2}, 5);
    EXPECT_EQ(cleared.status, kOk);
    EXPECT_EQ(cleared.count, 0u);
    EXPECT_EQ(Send(IOCTL_OLVEXPINXA_READ_BUFFER, {}, 3).buffer, (Bytes{0, 0, 0}));
    EXPECT_EQ(pc.driver.Pool().LiveBlocks(), 1);

    for (int i = 0; i < 2; ++i) {
        const Reply freed = Send(IOCTL_OLVEXPINXA_FREE_BUFFER, {}, 0);
        EXPECT_EQ(freed.status, kOk);
        EXPECT_EQ(freed.count, 0u);
    }
    EXPECT_EQ(pc.driver.Pool().LiveBlocks(), 0);
    EXPECT_EQ(pc.driver.Context().memory.length, 0u);
    EXPECT_EQ(pc.driver.Context().memory.data, nullptr);
    // Buffer codes have no messages of their own.
    const auto messages = log.Take();
    EXPECT_EQ(messages.size(), 2u * 5);
}

// Through the I/O manager: only the driver's own bytes reach the caller.
TEST_F(Driver, WriteOnlyCodesNeverEchoTheInputIntoTheOutput)
{
    const OsHandle device = pc.os.OpenExclusive(OLVEXPIN_USER_DEVICE_PATH);
    const std::uint8_t input[4] = {0x78, 0x03, 0x34, 0x12};
    std::uint8_t output[8];
    std::memset(output, 0xAB, sizeof output);
    std::uint32_t returned = 99;
    for (std::uint32_t code : {IOCTL_OLVEXPINXA_POKE, IOCTL_OLVEXPINXA_SET_REGISTER}) {
        const std::uint32_t length = code == IOCTL_OLVEXPINXA_POKE ? 4 : 3;
        ASSERT_TRUE(pc.os.DeviceIoControl(device, code, input, length, output, sizeof output, &returned));
        EXPECT_EQ(returned, 0u);
        EXPECT_EQ(Bytes(output, output + 8), Bytes(8, 0xAB));
    }
}

TEST_F(Driver, FailedRequestCopiesNothingBack)
{
    const OsHandle device = pc.os.OpenExclusive(OLVEXPIN_USER_DEVICE_PATH);
    const std::uint8_t input[1] = {0x04};
    std::uint8_t output[2] = {0xAB, 0xAB};
    std::uint32_t returned = 99;
    EXPECT_FALSE(pc.os.DeviceIoControl(device, IOCTL_OLVEXPINXA_CONTROL, input, 1, output, 2, &returned));
    EXPECT_EQ(pc.os.LastError(), sim::kErrorInvalidParameter);
    EXPECT_EQ(returned, 0u);
    EXPECT_EQ(output[0], 0xAB);
    EXPECT_EQ(pc.io.Port(0).ControlRegister(), 0x04) << "the write half ran";
}

// deviceLock makes each request's write and read adjacent on the bus.
TEST_F(Driver, ConcurrentWriteThenReadRequestsNeverInterleave)
{
    pc.driver.SetDebugPrint(nullptr);
    constexpr int kRequests = 2000;
    auto worker = [this](std::uint8_t value) {
        for (int i = 0; i < kRequests; ++i) {
            std::uint8_t buffer[1] = {value};
            const auto result = pc.driver.DeviceControl(IOCTL_OLVEXPINXA_DATA, 1, 1, buffer);
            ASSERT_EQ(result.status, kOk);
            ASSERT_EQ(buffer[0], value) << "another request wrote between this one's write and read";
        }
    };
    std::thread a(worker, 0x11);
    std::thread b(worker, 0x22);
    a.join();
    b.join();
    const Accesses& accesses = pc.io.Accesses();
    ASSERT_EQ(accesses.size(), 4u * kRequests);
    for (std::size_t i = 0; i < accesses.size(); i += 2) {
        ASSERT_EQ(accesses[i].kind, sim::AccessKind::kWriteByte) << "at " << i;
        ASSERT_EQ(accesses[i + 1].kind, sim::AccessKind::kReadByte) << "at " << i + 1;
        ASSERT_EQ(accesses[i + 1].value, accesses[i].value) << "at " << i + 1;
    }
}

}  // namespace
}  // namespace olvbus::test
