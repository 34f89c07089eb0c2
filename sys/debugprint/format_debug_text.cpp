#include "sys/debugprint/format_debug_text.h"

namespace olvexpin {
namespace {

constexpr char kHexDigits[] = "0123456789ABCDEF";

// Output position and limit. Every store goes through Put, which drops what
// falls at or past the end; once the end is reached nothing more can be
// stored, so the walk stops there.
class Output {
public:
    Output(char* buffer, uint32_t size) : buffer_(buffer), size_(size) {}

    bool Full() const { return position_ >= size_; }

    void Put(char c)
    {
        if (position_ < size_) {
            buffer_[position_] = c;
        }
        ++position_;
    }

    void PutText(const char* text) { PutText(text, UINT32_MAX); }

    void PutText(const char* text, uint32_t limit)
    {
        for (uint32_t i = 0; i < limit && text[i] != '\0' && !Full(); ++i) {
            Put(text[i]);
        }
    }

    // Digits are counted first and then stored from the last to the first at
    // their final positions, so a number crossing the end keeps its leading
    // digits.
    void PutUnsigned64(uint64_t value)
    {
        uint32_t digits = 1;
        for (uint64_t rest = value / 10; rest != 0; rest /= 10) {
            ++digits;
        }
        for (uint32_t i = digits; i > 0; --i) {
            const uint64_t at = static_cast<uint64_t>(position_) + i - 1;
            if (at < size_) {
                buffer_[at] = static_cast<char>('0' + value % 10);
            }
            value /= 10;
        }
        position_ += digits;
    }

    void PutSigned64(int64_t value)
    {
        if (value < 0) {
            Put('-');
            // Negating in unsigned arithmetic keeps the most negative value.
            PutUnsigned64(0u - static_cast<uint64_t>(value));
        } else {
            PutUnsigned64(static_cast<uint64_t>(value));
        }
    }

    // The low `digits` nibbles of value, most significant first.
    void PutHex(uint32_t value, uint32_t digits)
    {
        for (uint32_t i = digits; i > 0 && !Full(); --i) {
            Put(kHexDigits[(value >> ((i - 1) * 4)) & 0xFu]);
        }
    }

    void Terminate()
    {
        if (size_ == 0) {
            return;
        }
        if (position_ < size_) {
            buffer_[position_] = '\0';
        }
        buffer_[size_ - 1] = '\0';
    }

private:
    char* buffer_;
    uint32_t size_;
    uint64_t position_ = 0;  // 64 bits: a number may step past a size near 2^32
};

// The x rule: a width of 1 to 7 selects that many digits, anything else 8.
uint32_t HexDigitsForWidth(uint32_t width) { return (width >= 1 && width <= 7) ? width : 8; }

void PutRequestName(Output& out, const RequestCodes& request)
{
    const char* major = MajorFunctionName(request.majorFunction);
    if (major == nullptr) {
        return;
    }
    out.PutText(major);
    const uint32_t minor = request.minorFunction;
    switch (request.majorFunction) {
    case kIrpMjPower:
        if (const char* name = PowerMinorName(minor)) {
            out.Put(':');
            out.PutText(name);
        }
        if (minor == kIrpMnSetPower || minor == kIrpMnQueryPower) {
            out.PutText(minor == kIrpMnSetPower ? " Set Power" : " Query Power");
            const char* state = request.powerType == 0 ? SystemPowerStateName(request.powerState)
                                                       : DevicePowerStateName(request.powerState);
            if (state != nullptr) {
                out.Put(' ');
                out.PutText(state);
            }
        }
        break;
    case kIrpMjSystemControl:
        if (const char* name = WmiMinorName(minor)) {
            out.Put(':');
            out.PutText(name);
        }
        break;
    case kIrpMjPnp:
        out.Put(':');
        if (const char* name = PnpMinorName(minor)) {
            out.PutText(name);
        } else {
            out.PutHex(minor, 8);
        }
        if (minor == kIrpMnQueryDeviceRelations) {
            if (const char* relation = DeviceRelationName(request.relationType)) {
                out.Put(' ');
                out.PutText(relation);
            }
        }
        break;
    default:
        break;
    }
}

bool IsWidthDigit(char c) { return c >= '1' && c <= '9'; }

// Arguments are read by conversion letter: int for the 32-bit slots, 64-bit
// integers for D, l and L, pointers for s, S, T and I.
void Expand(Output& out, const char* format, va_list& arguments)
{
    const char* f = format;
    while (*f != '\0' && !out.Full()) {
        if (*f != '%') {
            out.Put(*f++);
            continue;
        }
        ++f;
        uint32_t width = 0;
        if (*f == '*') {
            const int value = va_arg(arguments, int);
            width = value > 0 ? static_cast<uint32_t>(value) : 0;
            ++f;
        } else {
            while (IsWidthDigit(*f)) {
                const uint32_t digit = static_cast<uint32_t>(*f - '0');
                // A width past any buffer size means "no limit" all the same;
                // saturate rather than wrap.
                width = width > (UINT32_MAX - digit) / 10 ? UINT32_MAX : width * 10 + digit;
                ++f;
            }
        }
        const char letter = *f;
        if (letter == '\0') {
            break;
        }
        ++f;
        switch (letter) {
        case 'c':
        case 'C':
            out.Put(static_cast<char>(va_arg(arguments, int) & 0xFF));
            break;
        case 'd':
        case 'i':
            out.PutSigned64(va_arg(arguments, int));
            break;
        case 'u':
            out.PutUnsigned64(va_arg(arguments, unsigned int));
            break;
        case 'x':
            out.PutHex(va_arg(arguments, unsigned int), HexDigitsForWidth(width));
            break;
        case 's':
            out.PutText(va_arg(arguments, const char*), width > 0 ? width : UINT32_MAX);
            break;
        case 'S': {
            const uint16_t* text = va_arg(arguments, const uint16_t*);
            const uint32_t limit = width > 0 ? width : UINT32_MAX;
            for (uint32_t i = 0; i < limit && text[i] != 0 && !out.Full(); ++i) {
                out.Put(static_cast<char>(text[i] & 0xFFu));
            }
            break;
        }
        case 'T': {
            const CountedText16* text = va_arg(arguments, const CountedText16*);
            const uint32_t characters = text->length / 2u;
            for (uint32_t i = 0; i < characters && text->buffer[i] != 0 && !out.Full(); ++i) {
                out.Put(static_cast<char>(text->buffer[i] & 0xFFu));
            }
            break;
        }
        case 'D':
            out.PutSigned64(va_arg(arguments, long long));
            break;
        case 'l':
        case 'L': {
            const uint64_t value = va_arg(arguments, unsigned long long);
            const uint32_t high = static_cast<uint32_t>(value >> 32);
            const uint32_t low = static_cast<uint32_t>(value);
            const uint32_t digits = width == 0 ? 16 : width;
            if (digits > 8) {
                out.PutHex(high, HexDigitsForWidth(digits - 8));
                out.PutHex(low, 8);
            } else {
                out.PutHex(low, HexDigitsForWidth(digits));
            }
            break;
        }
        case 'I':
            PutRequestName(out, *va_arg(arguments, const RequestCodes*));
            break;
        default:
            out.Put(letter);
            break;
        }
    }
}

}  // namespace

void FormatDebugText(char* buffer, uint32_t size, const char* format, va_list arguments)
{
    Output out(buffer, size);
    va_list walk;
    va_copy(walk, arguments);
    Expand(out, format, walk);
    va_end(walk);
    out.Terminate();
}

void FormatDebugTextF(char* buffer, uint32_t size, const char* format, ...)
{
    va_list arguments;
    va_start(arguments, format);
    FormatDebugText(buffer, size, format, arguments);
    va_end(arguments);
}

}  // namespace olvexpin
