// The driver's formatter with any format and any buffer size. Every argument
// is a pointer to one object that reads validly as each kind of argument a
// conversion may take (a text, a 16-bit text, a counted text, a request), so
// only the formatter's own faults show.
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "fuzz/fuzz_input.h"
#include "sys/debugprint/format_debug_text.h"

namespace {

struct Universal {
    olvexpin::CountedText16 counted;  // as a RequestCodes: the fields fall inside these bytes
    std::uint8_t zeros[16];           // terminates it as a text and a 16-bit text
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    olvbus::fuzz::FuzzInput input(data, size);
    const std::uint32_t bufferSize = input.Take<std::uint16_t>() % 400;
    const std::uint16_t countedLength = input.Take<std::uint16_t>();

    std::vector<std::uint16_t> wide(32768 + 1, 0);
    for (std::size_t i = 0; i < wide.size() - 1 && input.Remaining() > 0 && i < 64; ++i) {
        wide[i] = input.Take<std::uint16_t>();
    }
    Universal u{};
    std::memset(&u, 0, sizeof u);
    u.counted.length = countedLength;
    u.counted.maximumLength = countedLength;
    u.counted.buffer = wide.data();

    // The format: the rest of the input, with at most eight conversions so
    // that sixteen arguments always suffice (a width star takes one more).
    std::string format(reinterpret_cast<const char*>(input.Rest()), input.Remaining());
    format = format.substr(0, format.find('\0'));
    int percents = 0;
    for (char c : format) {
        percents += c == '%';
    }
    if (percents > 8) {
        return 0;
    }
    std::vector<char> buffer(bufferSize);  // exactly size bytes: ASan sees any overrun
    Universal* p = &u;
    olvexpin::FormatDebugTextF(bufferSize == 0 ? nullptr : buffer.data(), bufferSize, format.c_str(), p, p, p, p,
                               p, p, p, p, p, p, p, p, p, p, p, p);
    if (bufferSize > 0 && buffer[bufferSize - 1] != '\0') {
        __builtin_trap();  // the last byte is always the terminator
    }
    return 0;
}
