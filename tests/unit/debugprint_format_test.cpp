// The formatter's rules, case by case. Every case formats into a buffer with
// a guard zone behind it, so a store past `size` shows up as a failure.
#include <gtest/gtest.h>

#include <cctype>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "sys/debugprint/format_debug_text.h"

namespace olvexpin {
namespace {

constexpr char kSentinel = '\x5A';
constexpr uint32_t kGuard = 16;

using Formatter = std::function<void(char* buffer, uint32_t size)>;

struct Formatted {
    std::string text;      // up to the first zero byte
    bool guardIntact;      // nothing stored at or past size
    bool lastByteZero;     // byte size - 1
};

Formatted FormatInto(uint32_t size, const Formatter& format)
{
    std::vector<char> storage(size + kGuard, kSentinel);
    format(storage.data(), size);
    Formatted result{};
    result.guardIntact = true;
    for (uint32_t i = size; i < storage.size(); ++i) {
        result.guardIntact = result.guardIntact && storage[i] == kSentinel;
    }
    result.lastByteZero = size == 0 || storage[size - 1] == '\0';
    if (size > 0) {
        result.text.assign(storage.data(), strnlen(storage.data(), size));
    }
    return result;
}

struct Case {
    const char* what;
    uint32_t size;
    std::string expected;
    Formatter format;
};

void PrintTo(const Case& c, std::ostream* os) { *os << c.what; }

uint16_t kWide0141[] = {0x0141, 0x0062, 0};
uint16_t kAbZero[] = {'a', 'b', 0, 'c'};
CountedText16 kCountedAbZero{6, 8, kAbZero};
uint16_t kLinkChars[] = {'\\', '?', '?', '\\', 'R', 'O', 'O', 'T'};
CountedText16 kCountedNoTerminator{8, 16, kLinkChars};  // 4 characters, no zero

RequestCodes Pnp(uint8_t minor, uint32_t relation = 0) { return {kIrpMjPnp, minor, 0, 0, relation}; }
RequestCodes Power(uint8_t minor, uint32_t type, uint32_t state) { return {kIrpMjPower, minor, type, state, 0}; }

const std::string k120(120, 'z');

class FormatDebugTextCases : public ::testing::TestWithParam<Case> {};

TEST_P(FormatDebugTextCases, ExpandsAndStaysInsideTheBuffer)
{
    const Case& c = GetParam();
    const Formatted out = FormatInto(c.size, c.format);
    EXPECT_EQ(out.text, c.expected) << c.what;
    EXPECT_TRUE(out.guardIntact) << c.what << ": stored at or past size " << c.size;
    EXPECT_TRUE(out.lastByteZero) << c.what;
}

// clang-format off
const Case kConversions[] = {
    {"%x pads to 8 digits", 100, "0000000A", [](char* b, uint32_t n) { FormatDebugTextF(b, n, "%x", 10); }},
    {"%2x keeps the low 2 nibbles", 100, "34", [](char* b, uint32_t n) { FormatDebugTextF(b, n, "%2x", 0x1234); }},
    {"%4x keeps the low 4 nibbles", 100, "BCDE", [](char* b, uint32_t n) { FormatDebugTextF(b, n, "%4x", 0xABCDE); }},
    {"%9x falls back to 8 digits", 100, "000ABCDE", [](char* b, uint32_t n) { FormatDebugTextF(b, n, "%9x", 0xABCDE); }},
    {"%8x", 100, "FFFFFFFF", [](char* b, uint32_t n) { FormatDebugTextF(b, n, "%8x", -1); }},
    {"control code", 100, "DeviceIoControl: Control code 00220400 InputLength 1 OutputLength 0",
     [](char* b, uint32_t n) { FormatDebugTextF(b, n, "DeviceIoControl: Control code %x InputLength %d OutputLength %d", 0x220400, 1, 0); }},
    {"%d negative", 100, "-5", [](char* b, uint32_t n) { FormatDebugTextF(b, n, "%d", -5); }},
    {"%i", 100, "42", [](char* b, uint32_t n) { FormatDebugTextF(b, n, "%i", 42); }},
    {"%d most negative", 100, "-2147483648", [](char* b, uint32_t n) { FormatDebugTextF(b, n, "%d", INT32_MIN); }},
    {"%d zero", 100, "0", [](char* b, uint32_t n) { FormatDebugTextF(b, n, "%d", 0); }},
    {"%u zero", 100, "0", [](char* b, uint32_t n) { FormatDebugTextF(b, n, "%u", 0u); }},
    {"%u largest", 100, "4294967295", [](char* b, uint32_t n) { FormatDebugTextF(b, n, "%u", 0xFFFFFFFFu); }},
    {"%d width ignored", 100, "7", [](char* b, uint32_t n) { FormatDebugTextF(b, n, "%5d", 7); }},
    {"%10d: width 1, letter 0, d copied", 100, "0d|9", [](char* b, uint32_t n) { FormatDebugTextF(b, n, "%10d|%d", 9); }},
    {"%05d: 0 is the letter", 100, "05d", [](char* b, uint32_t n) { FormatDebugTextF(b, n, "%05d", 3); }},
    {"%*d negative width", 100, "42", [](char* b, uint32_t n) { FormatDebugTextF(b, n, "%*d", -3, 42); }},
    {"%*s width 2", 100, "ab", [](char* b, uint32_t n) { FormatDebugTextF(b, n, "%*s", 2, "abcdef"); }},
    {"%*s width 0", 100, "abcdef", [](char* b, uint32_t n) { FormatDebugTextF(b, n, "%*s", 0, "abcdef"); }},
    {"%c low byte", 100, "A", [](char* b, uint32_t n) { FormatDebugTextF(b, n, "%c", 0x341); }},
    {"%C", 100, "z", [](char* b, uint32_t n) { FormatDebugTextF(b, n, "%C", 'z'); }},
    {"%3s", 100, "abc", [](char* b, uint32_t n) { FormatDebugTextF(b, n, "%3s", "abcdef"); }},
    {"%s empty", 100, "[]", [](char* b, uint32_t n) { FormatDebugTextF(b, n, "[%s]", ""); }},
    {"%S low bytes", 100, "Ab", [](char* b, uint32_t n) { FormatDebugTextF(b, n, "%S", kWide0141); }},
    {"%1S", 100, "A", [](char* b, uint32_t n) { FormatDebugTextF(b, n, "%1S", kWide0141); }},
    {"%T ends at a zero character", 100, "ab", [](char* b, uint32_t n) { FormatDebugTextF(b, n, "%T", &kCountedAbZero); }},
    {"%T without terminator", 100, "\\??\\|", [](char* b, uint32_t n) { FormatDebugTextF(b, n, "%T|", &kCountedNoTerminator); }},
    {"%D -1", 100, "-1", [](char* b, uint32_t n) { FormatDebugTextF(b, n, "%D", -1LL); }},
    {"%D most negative", 100, "-9223372036854775808", [](char* b, uint32_t n) { FormatDebugTextF(b, n, "%D", INT64_MIN); }},
    {"%D large", 100, "1099511627776", [](char* b, uint32_t n) { FormatDebugTextF(b, n, "%D", 1LL << 40); }},
    {"%L", 100, "0000000100000002", [](char* b, uint32_t n) { FormatDebugTextF(b, n, "%L", 0x0000000100000002ULL); }},
    {"%l", 100, "DEADBEEF00C0FFEE", [](char* b, uint32_t n) { FormatDebugTextF(b, n, "%l", 0xDEADBEEF00C0FFEEULL); }},
    {"%12L", 100, "000100000002", [](char* b, uint32_t n) { FormatDebugTextF(b, n, "%12L", 0x0000000100000002ULL); }},
    {"%4L", 100, "0002", [](char* b, uint32_t n) { FormatDebugTextF(b, n, "%4L", 0x0000000100000002ULL); }},
    {"%8L", 100, "00000002", [](char* b, uint32_t n) { FormatDebugTextF(b, n, "%8L", 0x0000000100000002ULL); }},
    {"%19L: high half by the x rule", 100, "0000000100000002", [](char* b, uint32_t n) { FormatDebugTextF(b, n, "%19L", 0x0000000100000002ULL); }},
    {"arguments after a 64-bit one", 100, "1 -2 3", [](char* b, uint32_t n) { FormatDebugTextF(b, n, "%d %D %d", 1, -2LL, 3); }},
    {"%q prints q", 100, "q", [](char* b, uint32_t n) { FormatDebugTextF(b, n, "%q"); }},
    {"%% prints %", 100, "100%", [](char* b, uint32_t n) { FormatDebugTextF(b, n, "100%%"); }},
    {"lone % at the end", 100, "abc", [](char* b, uint32_t n) { FormatDebugTextF(b, n, "abc%"); }},
    {"format ends after *", 100, "abc", [](char* b, uint32_t n) { FormatDebugTextF(b, n, "abc%*", 4); }},
    {"format ends inside a width", 100, "abc", [](char* b, uint32_t n) { FormatDebugTextF(b, n, "abc%12"); }},
    {"huge width saturates", 100, "abcdef", [](char* b, uint32_t n) { FormatDebugTextF(b, n, "%99999999999999999999s", "abcdef"); }},
};

RequestCodes kPnpNowt = Pnp(0x0E);
RequestCodes kPnpRelations = Pnp(kIrpMnQueryDeviceRelations, 0);
RequestCodes kPnpRelationsTarget = Pnp(kIrpMnQueryDeviceRelations, 4);
RequestCodes kPnpRelationsUnknown = Pnp(kIrpMnQueryDeviceRelations, 5);
RequestCodes kPnpFF = Pnp(0xFF);
RequestCodes kPnpLast = Pnp(24);
RequestCodes kPnpRemove = Pnp(kIrpMnRemoveDevice);
RequestCodes kMajor30{30, 0, 0, 0, 0};
RequestCodes kMajor28{28, 0, 0, 0, 0};
RequestCodes kCreate{kIrpMjCreate, 0, 0, 0, 0};
RequestCodes kReadMinor5{kIrpMjRead, 5, 0, 0, 0};
RequestCodes kPowerMinor5 = Power(5, 0, 0);
RequestCodes kPowerWake = Power(0, 0, 1);
RequestCodes kSetDeviceD0 = Power(kIrpMnSetPower, 1, 1);
RequestCodes kQuerySystemShutdown = Power(kIrpMnQueryPower, 0, 6);
RequestCodes kSetSystemState7 = Power(kIrpMnSetPower, 0, 7);
RequestCodes kSetDeviceState5 = Power(kIrpMnSetPower, 1, 5);
RequestCodes kWmi9{kIrpMjSystemControl, 9, 0, 0, 0};
RequestCodes kWmi10{kIrpMjSystemControl, 10, 0, 0, 0};

const Case kRequestNames[] = {
    {"pnp minor 0x0E", 100, "IRP_MJ_PNP:Nowt", [](char* b, uint32_t n) { FormatDebugTextF(b, n, "%I", &kPnpNowt); }},
    {"pnp relations", 100, "IRP_MJ_PNP:IRP_MN_QUERY_DEVICE_RELATIONS BusRelations", [](char* b, uint32_t n) { FormatDebugTextF(b, n, "%I", &kPnpRelations); }},
    {"pnp relations 4", 100, "IRP_MJ_PNP:IRP_MN_QUERY_DEVICE_RELATIONS TargetDeviceRelation", [](char* b, uint32_t n) { FormatDebugTextF(b, n, "%I", &kPnpRelationsTarget); }},
    {"pnp relations unknown", 100, "IRP_MJ_PNP:IRP_MN_QUERY_DEVICE_RELATIONS", [](char* b, uint32_t n) { FormatDebugTextF(b, n, "%I", &kPnpRelationsUnknown); }},
    {"pnp minor past the table", 100, "IRP_MJ_PNP:000000FF", [](char* b, uint32_t n) { FormatDebugTextF(b, n, "%I", &kPnpFF); }},
    {"pnp last row", 100, "IRP_MJ_PNP:IRP_MN_QUERY_LEGACY_BUS_INFORMATION", [](char* b, uint32_t n) { FormatDebugTextF(b, n, "%I", &kPnpLast); }},
    {"in a message", 100, "PnP IRP_MJ_PNP:IRP_MN_REMOVE_DEVICE", [](char* b, uint32_t n) { FormatDebugTextF(b, n, "PnP %I", &kPnpRemove); }},
    {"major 30", 100, "[]", [](char* b, uint32_t n) { FormatDebugTextF(b, n, "[%I]", &kMajor30); }},
    {"major 28", 100, "", [](char* b, uint32_t n) { FormatDebugTextF(b, n, "%I", &kMajor28); }},
    {"create", 100, "IRP_MJ_CREATE", [](char* b, uint32_t n) { FormatDebugTextF(b, n, "%I", &kCreate); }},
    {"minor ignored for read", 100, "IRP_MJ_READ", [](char* b, uint32_t n) { FormatDebugTextF(b, n, "%I", &kReadMinor5); }},
    {"power minor 5", 100, "IRP_MJ_POWER", [](char* b, uint32_t n) { FormatDebugTextF(b, n, "%I", &kPowerMinor5); }},
    {"power wait wake", 100, "IRP_MJ_POWER:IRP_MN_WAIT_WAKE", [](char* b, uint32_t n) { FormatDebugTextF(b, n, "%I", &kPowerWake); }},
    {"set device D0", 100, "IRP_MJ_POWER:IRP_MN_SET_POWER Set Power PowerDeviceD0", [](char* b, uint32_t n) { FormatDebugTextF(b, n, "%I", &kSetDeviceD0); }},
    {"query system shutdown", 100, "IRP_MJ_POWER:IRP_MN_QUERY_POWER Query Power PowerSystemShutdown", [](char* b, uint32_t n) { FormatDebugTextF(b, n, "%I", &kQuerySystemShutdown); }},
    {"system state 7", 100, "IRP_MJ_POWER:IRP_MN_SET_POWER Set Power", [](char* b, uint32_t n) { FormatDebugTextF(b, n, "%I", &kSetSystemState7); }},
    {"device state 5", 100, "IRP_MJ_POWER:IRP_MN_SET_POWER Set Power", [](char* b, uint32_t n) { FormatDebugTextF(b, n, "%I", &kSetDeviceState5); }},
    {"wmi 9", 100, "IRP_MJ_SYSTEM_CONTROL:IRP_MN_EXECUTE_METHOD", [](char* b, uint32_t n) { FormatDebugTextF(b, n, "%I", &kWmi9); }},
    {"wmi 10", 100, "IRP_MJ_SYSTEM_CONTROL", [](char* b, uint32_t n) { FormatDebugTextF(b, n, "%I", &kWmi10); }},
    {"name cut by the buffer", 12, "IRP_MJ_PNP:", [](char* b, uint32_t n) { FormatDebugTextF(b, n, "%I", &kPnpRemove); }},
};

// Truncation: the result is the first size - 1 characters of the full text.
const Case kTruncation[] = {
    {"120 plain characters into 100", 100, k120.substr(0, 99), [](char* b, uint32_t n) { FormatDebugTextF(b, n, k120.c_str()); }},
    {"digits crossing the end", 5, "ab12", [](char* b, uint32_t n) { FormatDebugTextF(b, n, "ab%d", 12345); }},
    {"negative number crossing the end", 4, "-12", [](char* b, uint32_t n) { FormatDebugTextF(b, n, "%d", -12345); }},
    {"64-bit digits crossing the end", 8, "1844674", [](char* b, uint32_t n) { FormatDebugTextF(b, n, "%D", static_cast<long long>(0) + 1844674407370955161LL); }},
    {"sign at the last place", 3, "ab", [](char* b, uint32_t n) { FormatDebugTextF(b, n, "ab%d", -7); }},
    {"hex crossing the end", 6, "x0000", [](char* b, uint32_t n) { FormatDebugTextF(b, n, "x%x", 0x12); }},
    {"exact fit", 4, "abc", [](char* b, uint32_t n) { FormatDebugTextF(b, n, "abc"); }},
    {"one short", 3, "ab", [](char* b, uint32_t n) { FormatDebugTextF(b, n, "abc"); }},
    {"size 1 holds only the terminator", 1, "", [](char* b, uint32_t n) { FormatDebugTextF(b, n, "abc%d", 5); }},
    {"size 0 stores nothing", 0, "", [](char* b, uint32_t n) { FormatDebugTextF(b, n, "abc%d", 5); }},
    {"string crossing the end", 4, "abc", [](char* b, uint32_t n) { FormatDebugTextF(b, n, "%s", "abcdef"); }},
    {"wide string crossing the end", 2, "A", [](char* b, uint32_t n) { FormatDebugTextF(b, n, "%S", kWide0141); }},
};
// clang-format on

std::string CaseName(const ::testing::TestParamInfo<Case>& info)
{
    std::string name;
    for (const char* p = info.param.what; *p != '\0'; ++p) {
        name += std::isalnum(static_cast<unsigned char>(*p)) ? *p : '_';
    }
    return name + "_" + std::to_string(info.index);
}

INSTANTIATE_TEST_SUITE_P(Conversions, FormatDebugTextCases, ::testing::ValuesIn(kConversions), CaseName);
INSTANTIATE_TEST_SUITE_P(RequestNames, FormatDebugTextCases, ::testing::ValuesIn(kRequestNames), CaseName);
INSTANTIATE_TEST_SUITE_P(Truncation, FormatDebugTextCases, ::testing::ValuesIn(kTruncation), CaseName);

// A character code 0 is stored like any other character; the text then
// reads as ending there, but what follows is still written in place.
TEST(FormatDebugText, CharacterZeroIsStoredInPlace)
{
    char buffer[8];
    std::memset(buffer, kSentinel, sizeof buffer);
    FormatDebugTextF(buffer, sizeof buffer, "a%cb", 0);
    EXPECT_EQ(std::string(buffer, 4), std::string("a\0b\0", 4));
}

// A number whose digits run past the end of a short buffer still consumes
// its argument, and what follows it is dropped rather than written late.
TEST(FormatDebugText, NothingFollowsOnceTheBufferIsFull)
{
    char buffer[4 + kGuard];
    std::memset(buffer, kSentinel, sizeof buffer);
    FormatDebugTextF(buffer, 4, "%d%s", 123456, "tail");
    EXPECT_EQ(std::string(buffer), "123");
    for (uint32_t i = 4; i < sizeof buffer; ++i) {
        EXPECT_EQ(buffer[i], kSentinel) << "byte " << i;
    }
}

}  // namespace
}  // namespace olvexpin
