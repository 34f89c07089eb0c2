// Any control code, any input and output length, any buffer contents, over a
// system buffer exactly max(in, out) bytes long: a read or write past it is
// caught by ASan.
#include <cstdint>
#include <cstring>
#include <vector>

#include "common/olvexpin_contract.h"
#include "fuzz/fuzz_input.h"
#include "sim/simulated_pc.h"
#include "sys/debugprint/format_debug_text.h"

namespace {

// Formats every message as the client would, so the messages' arguments are
// exercised too.
class FormattingLog final : public olvexpin::DebugPrint {
public:
    void Text(const char* text) override { last_ = text[0]; }
    void FormatV(const char* format, va_list arguments) override
    {
        char buffer[100];
        olvexpin::FormatDebugText(buffer, sizeof buffer, format, arguments);
        Text(buffer);
    }

private:
    char last_ = 0;
};

constexpr std::uint32_t kCodes[] = {
    IOCTL_OLVEXPINXA_DATA,         IOCTL_OLVEXPINXA_STATUS,        IOCTL_OLVEXPINXA_CONTROL,
    IOCTL_OLVEXPINXA_GET_REGISTER, IOCTL_OLVEXPINXA_SET_REGISTER,  IOCTL_OLVEXPINXA_PEEK,
    IOCTL_OLVEXPINXA_POKE,         IOCTL_OLVEXPINXA_CLEAR_BUFFER,  IOCTL_OLVEXPINXA_FREE_BUFFER,
    IOCTL_OLVEXPINXA_BUFFER_LENGTH, IOCTL_OLVEXPINXA_READ_BUFFER,  IOCTL_OLVEXPINXA_BUFFER_LENGTH_2,
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    olvbus::fuzz::FuzzInput input(data, size);
    olvbus::sim::SimulatedPc pc;
    FormattingLog log;
    pc.driver.SetDebugPrint(&log);

    // A driver-wide memory buffer of up to 4 KiB to query.
    const std::uint16_t memoryLength = input.Take<std::uint16_t>() & 0x0FFF;
    if (memoryLength > 0) {
        auto& memory = pc.driver.Context().memory;
        memory.data = static_cast<std::uint8_t*>(pc.driver.Pool().Allocate(memoryLength));
        std::memset(memory.data, 0x5C, memoryLength);
        memory.length = memoryLength;
    }

    while (input.Remaining() > 0) {
        const std::uint8_t selector = input.Take<std::uint8_t>();
        const std::uint32_t code = (selector & 0x80) ? input.Take<std::uint32_t>() : kCodes[selector % 12];
        const std::uint32_t in = input.Take<std::uint16_t>() % 300;
        const std::uint32_t out = input.Take<std::uint16_t>() % 300;
        const std::size_t length = in > out ? in : out;
        std::vector<std::uint8_t> buffer(length);  // exactly the system buffer
        for (std::size_t i = 0; i < length; ++i) {
            buffer[i] = input.Take<std::uint8_t>();
        }
        const auto result = pc.driver.DeviceControl(code, in, out, length == 0 ? nullptr : buffer.data());
        if ((result.status >> 30) != 3 && result.count > out) {
            __builtin_trap();  // a success may never hand back more than the caller's output
        }
    }
    return 0;
}
