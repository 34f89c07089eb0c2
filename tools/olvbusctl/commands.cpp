#include "commands.h"

#include <cstdio>
#include <iomanip>
#include <sstream>

#include "words.h"

namespace olvbusctl {

enum class Kind {
    kByte,        // a register or port byte, 0 to 255
    kPortId,      // LPT1 to LPT3
    kPin,         // connector pin 1 to 17
    kIoAddress,   // any I/O port, 16 bits
    kOffset,      // register offset from the port's base, 16 bits
    kStrobePin,   // a control pin: 1, 14, 16, 17
    kBusyPin,     // a status pin: 10, 11, 12, 13, 15
    kLevel,       // high | low
    kSwitch,      // on | off
    kStrobe,      // wr | rd | addr | cs
    kSync,        // level | edge
    kTimeout,     // any 32-bit count
    kCount,       // registers in a dump, 1 to 256
    kTraceAction, // on | off | show
    kClear,       // clear
    kText,        // the rest of the line
};

struct ArgumentForm {
    const char* name = nullptr;
    Kind kind = Kind::kByte;
};

using RunFunction = std::string (*)(const ParsedCommand&, Session&);
using CheckFunction = std::string (*)(const ParsedCommand&);

struct CommandForm {
    const char* name;
    ArgumentForm args[3];
    int argCount;
    int required;
    const char* summary;
    const char* help;
    RunFunction run;
    CheckFunction check;
};

namespace {

struct Keywords {
    Kind kind;
    const char* words[4];
    int count;
    const char* description;
};
// A keyword's value is its index here; "1" and "0" are accepted for high/low
// and on/off because scripts written from C habit use them.
constexpr Keywords kKeywords[] = {
    {Kind::kLevel, {"low", "high"}, 2, "high or low"},
    {Kind::kSwitch, {"off", "on"}, 2, "on or off"},
    {Kind::kStrobe, {"wr", "rd", "addr", "cs"}, 4, "wr, rd, addr or cs"},
    {Kind::kSync, {"level", "edge"}, 2, "level or edge"},
    {Kind::kTraceAction, {"on", "off", "show"}, 3, "on, off or show"},
    {Kind::kClear, {"clear"}, 1, "clear"},
};

struct NumberRange {
    Kind kind;
    std::int64_t low;
    std::int64_t high;
};
constexpr NumberRange kRanges[] = {
    {Kind::kByte, 0, 0xFF},          {Kind::kPortId, 1, 3},
    {Kind::kPin, 1, 17},             {Kind::kIoAddress, 0, 0xFFFF},
    {Kind::kOffset, 0, 0xFFFF},      {Kind::kStrobePin, 1, 17},
    {Kind::kBusyPin, 1, 17},         {Kind::kTimeout, INT32_MIN, INT32_MAX},
    {Kind::kCount, 1, 256},
};

const char* const kStrobeNames[] = {"WR", "RD", "ADDR", "CS"};

bool IsStrobePin(std::int64_t pin) { return pin == 1 || pin == 14 || pin == 16 || pin == 17; }
bool IsBusyPin(std::int64_t pin) { return pin == 10 || pin == 11 || pin == 12 || pin == 13 || pin == 15; }
bool IsOutputPin(std::int64_t pin) { return (pin >= 1 && pin <= 9) || IsStrobePin(pin); }

const char* LevelText(bool high) { return high ? "high" : "low"; }

std::string RangeText(std::int64_t low, std::int64_t high)
{
    if (high == 0xFF || high == 0xFFFF) {
        return Hex2(low) + " to " + Hex2(high);
    }
    return std::to_string(low) + " to " + std::to_string(high);
}

std::string ParseArgument(const CommandForm& form, const ArgumentForm& arg, const std::string& word,
                          std::int64_t& value)
{
    for (const Keywords& keywords : kKeywords) {
        if (keywords.kind != arg.kind) {
            continue;
        }
        for (int i = 0; i < keywords.count; ++i) {
            if (word == keywords.words[i]) {
                value = i;
                return {};
            }
        }
        if ((arg.kind == Kind::kLevel || arg.kind == Kind::kSwitch) && (word == "0" || word == "1")) {
            value = word == "1";
            return {};
        }
        return std::string(form.name) + ": " + Quote(word) + " is not " + keywords.description + " (" + arg.name + ")";
    }
    const auto number = ParseNumber(word);
    if (!number) {
        return std::string(form.name) + ": " + Quote(word) + " is not a number (" + arg.name + ")";
    }
    for (const NumberRange& range : kRanges) {
        if (range.kind == arg.kind && (*number < range.low || *number > range.high)) {
            return std::string(form.name) + ": " + arg.name + " " + word + " is out of range (" +
                   RangeText(range.low, range.high) + ")";
        }
    }
    if (arg.kind == Kind::kStrobePin && !IsStrobePin(*number)) {
        return std::string(form.name) + ": " + arg.name + " " + word + " is not a control pin (1, 14, 16 or 17)";
    }
    if (arg.kind == Kind::kBusyPin && !IsBusyPin(*number)) {
        return std::string(form.name) + ": " + arg.name + " " + word +
               " is not a status pin (10, 11, 12, 13 or 15)";
    }
    value = *number;
    return {};
}

std::string Usage(const CommandForm& form)
{
    std::string usage = form.name;
    for (int i = 0; i < form.argCount; ++i) {
        const bool optional = i >= form.required;
        usage += optional ? " [" : " ";
        usage += form.args[i].name;
        if (form.args[i].kind == Kind::kText) {
            usage += "...";
        }
        if (optional) {
            usage += "]";
        }
    }
    return usage;
}

bool Given(const ParsedCommand& c, std::size_t index) { return c.values.size() > index; }

std::string Polls(std::int32_t count)
{
    return std::to_string(count) + (count == 1 ? " poll" : " polls");
}

std::string CycleFailed(const ParsedCommand& c, Session& s)
{
    std::string words;
    for (const std::string& word : c.words) {
        words += " " + word;
    }
    return std::string(c.form->name) + words + ": the register cycle did not complete (BUSY time-out, " +
           Polls(s.api->Get_DUT_BUSY_Timeout()) + ")";
}

// Status register bits 3 to 7 by connector pin; the port inverts pin 11.
struct StatusPin {
    int pin;
    int bit;
    bool inverted;
};
constexpr StatusPin kStatusPins[] = {{10, 6, false}, {11, 7, true}, {12, 5, false}, {13, 4, false}, {15, 3, false}};

// Control register bits 0 to 3 by connector pin; the port inverts 1, 14, 17.
struct ControlPin {
    int pin;
    int bit;
    bool inverted;
};
constexpr ControlPin kControlPins[] = {{1, 0, true}, {14, 1, true}, {16, 2, false}, {17, 3, true}};

std::string RunVersion(const ParsedCommand&, Session& s)
{
    std::string text = s.api->Get_OLVBUS_DLL_Version();
    std::string lines;
    for (char c : text) {
        if (c != '\r') {
            lines += c;
        }
    }
    *s.out << lines << '\n';
    return {};
}

std::string RunSelect(const ParsedCommand& c, Session& s)
{
    const auto port = static_cast<std::int32_t>(c.values[0]);
    const std::int32_t base = s.api->Select_LPT_123(port);
    if (base == 0) {
        return "select " + c.words[0] + ": LPT" + std::to_string(port) +
               " could not be opened ('trace on' before select records why)";
    }
    s.selectedBase = base;
    *s.out << "LPT" << port << " at " << Hex2(base) << '\n';
    return {};
}

std::string RunData(const ParsedCommand& c, Session& s)
{
    if (Given(c, 0)) {
        s.api->Set_Data(static_cast<std::int32_t>(c.values[0]));
    } else {
        *s.out << "data " << HexDec(s.api->Get_Data()) << '\n';
    }
    return {};
}

std::string RunDataEnable(const ParsedCommand& c, Session& s)
{
    if (Given(c, 0)) {
        s.api->Set_Data_Enable(static_cast<std::int32_t>(c.values[0]));
    } else {
        const std::int32_t enable = s.api->Get_Data_Enable();
        *s.out << "data-enable " << (enable != 0 ? "on" : "off") << " ("
               << (enable != 0 ? "the PC drives the data lines" : "the data lines are released") << ")\n";
    }
    return {};
}

std::string RunDataEnableMask(const ParsedCommand& c, Session& s)
{
    if (Given(c, 0)) {
        s.api->Set_Data_Enable_Mask(static_cast<std::int32_t>(c.values[0]));
    } else {
        *s.out << "data-enable-mask " << HexDec(s.api->Get_Data_Enable_Mask()) << '\n';
    }
    return {};
}

std::string RunStatus(const ParsedCommand&, Session& s)
{
    const std::int32_t status = s.api->Get_Status();
    *s.out << "status " << HexDec(status) << ':';
    const char* separator = " ";
    for (const StatusPin& p : kStatusPins) {
        const bool high = (((status >> p.bit) & 1) != 0) != p.inverted;
        *s.out << separator << "pin " << p.pin << ' ' << LevelText(high);
        separator = ", ";
    }
    *s.out << '\n';
    return {};
}

std::string RunControl(const ParsedCommand& c, Session& s)
{
    if (Given(c, 0)) {
        s.api->Set_Control(static_cast<std::int32_t>(c.values[0]));
        return {};
    }
    // The control register is never read back: this is the value last written.
    const std::int32_t control = s.api->Get_Control();
    *s.out << "control " << HexDec(control) << ':';
    const char* separator = " ";
    for (const ControlPin& p : kControlPins) {
        const bool high = (((control >> p.bit) & 1) != 0) != p.inverted;
        *s.out << separator << "pin " << p.pin << ' ' << LevelText(high);
        separator = ", ";
    }
    *s.out << '\n';
    return {};
}

std::string CheckPin(const ParsedCommand& c)
{
    if (Given(c, 1) && !IsOutputPin(c.values[0])) {
        return "pin: pin " + c.words[0] + " is an input and cannot be written (outputs: 1 to 9, 14, 16, 17)";
    }
    return {};
}

std::string RunPin(const ParsedCommand& c, Session& s)
{
    const auto pin = static_cast<std::int32_t>(c.values[0]);
    if (Given(c, 1)) {
        s.api->DirectWritePrinterPin(pin, static_cast<std::int32_t>(c.values[1]));
    } else {
        *s.out << "pin " << pin << ' ' << LevelText(s.api->DirectReadPrinterPin(pin) != 0) << '\n';
    }
    return {};
}

std::string RunRegister(const ParsedCommand& c, Session& s)
{
    const auto offset = static_cast<std::int32_t>(c.values[0]);
    if (Given(c, 1)) {
        s.api->Set_Register(offset, static_cast<std::int32_t>(c.values[1]));
    } else {
        *s.out << "reg +" << offset << " = " << HexDec(s.api->Get_Register(offset)) << '\n';
    }
    return {};
}

std::string RunPeek(const ParsedCommand& c, Session& s)
{
    const auto port = static_cast<std::int32_t>(c.values[0]);
    *s.out << "port " << Hex4(port) << " = " << HexDec(s.api->Peek(port)) << '\n';
    return {};
}

std::string RunPoke(const ParsedCommand& c, Session& s)
{
    s.api->Poke(static_cast<std::int32_t>(c.values[0]), static_cast<std::int32_t>(c.values[1]));
    return {};
}

std::string RunStrobe(const ParsedCommand& c, Session& s)
{
    const auto strobe = static_cast<std::size_t>(c.values[0]);
    const auto pin = static_cast<std::int32_t>(c.values[1]);
    const auto activeHigh = static_cast<olvbus_bool>(c.values[2]);
    decltype(&::Set_DUT_WR_Pin) setters[] = {s.api->Set_DUT_WR_Pin, s.api->Set_DUT_RD_Pin,
                                             s.api->Set_DUT_ADDR_Pin, s.api->Set_DUT_CS_Pin};
    const std::string name = kStrobeNames[strobe];
    for (std::string& label : s.pinLabel) {
        if (label.rfind(name + " ", 0) == 0) {
            label.clear();
        }
    }
    if ((setters[strobe](pin, activeHigh) & 0xFF) == 0) {
        return "strobe " + c.words[0] + ": pin " + c.words[1] + " was refused";
    }
    s.pinLabel[pin] = name + " (active " + LevelText(activeHigh != 0) + ")";
    return {};
}

std::string RunMasks(const ParsedCommand&, Session& s)
{
    const OlvbusApi& a = *s.api;
    struct Row {
        const char* state;
        std::int32_t andMask;
        std::int32_t orMask;
    };
    const Row rows[] = {
        {"Addr_Idle", a.Get_DUT_Control_Addr_Idle_AND(), a.Get_DUT_Control_Addr_Idle_OR()},
        {"Addr_Wr", a.Get_DUT_Control_Addr_Wr_AND(), a.Get_DUT_Control_Addr_Wr_OR()},
        {"Data_Idle", a.Get_DUT_Control_Data_Idle_AND(), a.Get_DUT_Control_Data_Idle_OR()},
        {"Data_Wr", a.Get_DUT_Control_Data_Wr_AND(), a.Get_DUT_Control_Data_Wr_OR()},
        {"Data_Rd", a.Get_DUT_Control_Data_Rd_AND(), a.Get_DUT_Control_Data_Rd_OR()},
    };
    *s.out << "bus state  AND   OR\n";
    for (const Row& row : rows) {
        *s.out << std::left << std::setw(11) << row.state << Hex2(row.andMask) << "  " << Hex2(row.orMask) << '\n';
    }
    return {};
}

std::string RunBusyPin(const ParsedCommand& c, Session& s)
{
    if ((s.api->Set_DUT_BUSY_Pin(static_cast<std::int32_t>(c.values[0]), static_cast<olvbus_bool>(c.values[1])) &
         0xFF) == 0) {
        return "busy-pin: pin " + c.words[0] + " was refused";
    }
    for (std::string& label : s.pinLabel) {
        if (label.rfind("BUSY ", 0) == 0) {
            label.clear();
        }
    }
    s.pinLabel[static_cast<std::size_t>(c.values[0])] = std::string("BUSY (active ") + LevelText(c.values[1] != 0) + ")";
    return {};
}

std::string RunSync(const ParsedCommand& c, Session& s)
{
    const olvbus_bool done = c.values[0] == 0 ? s.api->Set_DUT_BUSY_LevelSync() : s.api->Set_DUT_BUSY_EdgeSync();
    if ((done & 0xFF) == 0) {
        return "sync " + c.words[0] + ": refused";
    }
    return {};
}

std::string RunBusy(const ParsedCommand&, Session& s)
{
    const std::int32_t mask = s.api->Get_DUT_BUSY_MASK();
    const std::int32_t state1 = s.api->Get_DUT_BUSY_STATE_1();
    const std::int32_t state2 = s.api->Get_DUT_BUSY_STATE_2();
    const char* sync = mask == 0 ? "no BUSY pin" : state1 == state2 ? "level sync" : "edge sync";
    *s.out << "busy mask " << Hex2(mask) << ", state 1 " << Hex2(state1) << ", state 2 " << Hex2(state2) << " ("
           << sync << ")\n"
           << "timeout " << s.api->Get_DUT_BUSY_Timeout() << " polls, highest count "
           << s.api->Get_DUT_BUSY_Highest_Count() << '\n';
    return {};
}

std::string RunTimeout(const ParsedCommand& c, Session& s)
{
    if (Given(c, 0)) {
        s.api->Set_DUT_BUSY_Timeout(static_cast<std::int32_t>(c.values[0]));
    } else {
        *s.out << "timeout " << s.api->Get_DUT_BUSY_Timeout() << " polls\n";
    }
    return {};
}

std::string RunHighest(const ParsedCommand& c, Session& s)
{
    if (Given(c, 0)) {
        s.api->Clear_DUT_BUSY_Highest_Count();
    } else {
        *s.out << "highest count " << s.api->Get_DUT_BUSY_Highest_Count() << '\n';
    }
    return {};
}

std::string RunWrite(const ParsedCommand& c, Session& s)
{
    if ((s.api->Try_DUT_Register_Write(static_cast<std::int32_t>(c.values[0]), static_cast<std::int32_t>(c.values[1])) &
         0xFF) == 0) {
        return CycleFailed(c, s);
    }
    return {};
}

std::string CheckRead(const ParsedCommand& c)
{
    if (Given(c, 1) && c.values[0] + c.values[1] > 0x100) {
        return "read: " + c.words[1] + " registers from " + Hex2(c.values[0]) + " run past 0xFF";
    }
    return {};
}

void PrintDump(std::ostream& out, std::int64_t first, const std::vector<std::int32_t>& values)
{
    out << "     ";
    for (int column = 0; column < 16; ++column) {
        out << " +" << std::uppercase << std::hex << column << std::dec;
    }
    out << '\n';
    const std::int64_t end = first + static_cast<std::int64_t>(values.size());
    for (std::int64_t row = first & ~0xF; row < end; row += 16) {
        out << Hex2(row) << ':';
        for (std::int64_t address = row; address < row + 16 && address < end; ++address) {
            if (address < first) {
                out << "   ";
            } else {
                char cell[4];
                std::snprintf(cell, sizeof cell, "%02X", static_cast<unsigned>(values[static_cast<std::size_t>(address - first)]));
                out << ' ' << cell;
            }
        }
        out << '\n';
    }
}

std::string RunRead(const ParsedCommand& c, Session& s)
{
    const std::int64_t first = c.values[0];
    if (!Given(c, 1)) {
        std::int32_t value = -1;
        if ((s.api->Try_DUT_Register_Read(static_cast<std::int32_t>(first), &value) & 0xFF) == 0) {
            return CycleFailed(c, s);
        }
        *s.out << "reg " << Hex2(first) << " = " << HexDec(value) << '\n';
        return {};
    }
    std::vector<std::int32_t> values;
    for (std::int64_t address = first; address < first + c.values[1]; ++address) {
        std::int32_t value = -1;
        if ((s.api->Try_DUT_Register_Read(static_cast<std::int32_t>(address), &value) & 0xFF) == 0) {
            if (!values.empty()) {
                PrintDump(*s.out, first, values);
            }
            return "read " + c.words[0] + ' ' + c.words[1] + ": the register cycle at " + Hex2(address) +
                   " did not complete (BUSY time-out, " + Polls(s.api->Get_DUT_BUSY_Timeout()) + ")";
        }
        values.push_back(value);
    }
    PrintDump(*s.out, first, values);
    return {};
}

std::string RunExpect(const ParsedCommand& c, Session& s)
{
    std::int32_t value = -1;
    if ((s.api->Try_DUT_Register_Read(static_cast<std::int32_t>(c.values[0]), &value) & 0xFF) == 0) {
        return CycleFailed(c, s);
    }
    if (value != c.values[1]) {
        return "expect " + c.words[0] + ' ' + c.words[1] + ": reg " + Hex2(c.values[0]) + " is " + HexDec(value) +
               ", expected " + HexDec(c.values[1]);
    }
    *s.out << "reg " << Hex2(c.values[0]) << " = " << HexDec(value) << ", as expected\n";
    return {};
}

std::string RunTrace(const ParsedCommand& c, Session& s)
{
    switch (c.values[0]) {
    case 0: s.api->Trace_Begin(); break;
    case 1: s.api->Trace_End(); break;
    default: {
        // Every entry begins with a line feed; a line per entry reads better.
        std::string text = s.api->Get_Trace_Buffer();
        if (!text.empty() && text.front() == '\n') {
            text.erase(0, 1);
        }
        if (!text.empty()) {
            *s.out << text << '\n';
        }
        break;
    }
    }
    return {};
}

std::string RunEcho(const ParsedCommand& c, Session& s)
{
    std::string line;
    for (const std::string& word : c.words) {
        line += (line.empty() ? "" : " ") + word;
    }
    *s.out << line << '\n';
    return {};
}

// clang-format off
const CommandForm kCommands[] = {
    {"version", {}, 0, 0, "the library's version text",
     "Prints the text of Get_OLVBUS_DLL_Version: the build stamp and the back end in use\n"
     "(\"using OlvexPin.sys\" after a select on Windows 2000, else \"using out dx,al\").",
     RunVersion, nullptr},
    {"select", {{"PORT", Kind::kPortId}}, 1, 1, "select LPT1, LPT2 or LPT3",
     "Select_LPT_123: opens the port (and on Windows 2000 the driver) and prints its base\n"
     "address. Fails when the port cannot be opened. Run it before any register access.",
     RunSelect, nullptr},
    {"data", {{"VALUE", Kind::kByte}}, 1, 0, "read or write the data register",
     "Without VALUE: Get_Data (while data-enable is on, the byte last written, not read).\n"
     "With VALUE (0 to 0xFF): Set_Data.",
     RunData, nullptr},
    {"data-enable", {{"SWITCH", Kind::kSwitch}}, 1, 0, "show or switch the PC's data-line drivers",
     "Without SWITCH: Get_Data_Enable. With on or off: Set_Data_Enable (off releases the\n"
     "data lines so that a device can drive them).",
     RunDataEnable, nullptr},
    {"data-enable-mask", {{"MASK", Kind::kByte}}, 1, 0, "show or set the control bits that release the data lines",
     "Without MASK: Get_Data_Enable_Mask. With MASK (0 to 0xFF): Set_Data_Enable_Mask.\n"
     "The DUT bus masks take a new mask at the next strobe assignment.",
     RunDataEnableMask, nullptr},
    {"status", {}, 0, 0, "read the status register and its input pins",
     "Get_Status, with the levels of pins 10, 11, 12, 13 and 15.", RunStatus, nullptr},
    {"control", {{"VALUE", Kind::kByte}}, 1, 0, "show or write the control register",
     "Without VALUE: Get_Control, the value last written (the register is never read\n"
     "back), with the levels of pins 1, 14, 16 and 17. With VALUE (0 to 0xFF): Set_Control.",
     RunControl, nullptr},
    {"pin", {{"PIN", Kind::kPin}, {"LEVEL", Kind::kLevel}}, 2, 1, "read or drive a connector pin",
     "Without LEVEL: DirectReadPrinterPin, the level at pin 1 to 17. With high or low:\n"
     "DirectWritePrinterPin on an output pin (1 to 9, 14, 16, 17). Levels are electrical;\n"
     "the port's inversions are taken care of.",
     RunPin, CheckPin},
    {"reg", {{"OFFSET", Kind::kOffset}, {"VALUE", Kind::kByte}}, 2, 1, "read or write the register at an offset",
     "Without VALUE: Get_Register at OFFSET from the selected port's base. With VALUE:\n"
     "Set_Register. The data and control shadows are not changed.",
     RunRegister, nullptr},
    {"peek", {{"PORT", Kind::kIoAddress}}, 1, 1, "read any I/O port",
     "Peek: one byte from I/O port 0 to 0xFFFF; no select needed.", RunPeek, nullptr},
    {"poke", {{"PORT", Kind::kIoAddress}, {"VALUE", Kind::kByte}}, 2, 2, "write any I/O port",
     "Poke: one byte to I/O port 0 to 0xFFFF; no select needed.", RunPoke, nullptr},
    {"strobe", {{"NAME", Kind::kStrobe}, {"PIN", Kind::kStrobePin}, {"ACTIVE", Kind::kLevel}}, 3, 3,
     "put a DUT strobe on a control pin",
     "Set_DUT_WR_Pin, Set_DUT_RD_Pin, Set_DUT_ADDR_Pin or Set_DUT_CS_Pin: NAME is wr, rd,\n"
     "addr or cs, PIN 1, 14, 16 or 17, ACTIVE the level that asserts it (high or low).",
     RunStrobe, nullptr},
    {"masks", {}, 0, 0, "show the control masks of the five bus states",
     "The ten Get_DUT_Control_* values: AND and OR mask of Addr_Idle, Addr_Wr, Data_Idle,\n"
     "Data_Wr and Data_Rd.",
     RunMasks, nullptr},
    {"busy-pin", {{"PIN", Kind::kBusyPin}, {"ACTIVE", Kind::kLevel}}, 2, 2, "put the DUT's BUSY on a status pin",
     "Set_DUT_BUSY_Pin: PIN 10, 11, 12, 13 or 15, ACTIVE the level of the pin while the DUT\n"
     "is busy. Selects level sync; choose edge sync afterwards.",
     RunBusyPin, nullptr},
    {"sync", {{"MODE", Kind::kSync}}, 1, 1, "wait for BUSY by level or by edge",
     "Set_DUT_BUSY_LevelSync (level: wait for ready twice) or Set_DUT_BUSY_EdgeSync (edge:\n"
     "wait for busy, then for ready, before each phase).",
     RunSync, nullptr},
    {"busy", {}, 0, 0, "show the BUSY settings",
     "Get_DUT_BUSY_MASK, Get_DUT_BUSY_STATE_1 and _2, Get_DUT_BUSY_Timeout and\n"
     "Get_DUT_BUSY_Highest_Count.",
     RunBusy, nullptr},
    {"timeout", {{"POLLS", Kind::kTimeout}}, 1, 0, "show or set the status polls a cycle may make",
     "Without POLLS: Get_DUT_BUSY_Timeout. With POLLS: Set_DUT_BUSY_Timeout (0 or below: every\n"
     "cycle times out on its first poll).",
     RunTimeout, nullptr},
    {"highest", {{"clear", Kind::kClear}}, 1, 0, "show or clear the highest poll count of a time-out",
     "Without an argument: Get_DUT_BUSY_Highest_Count. highest clear:\n"
     "Clear_DUT_BUSY_Highest_Count.",
     RunHighest, nullptr},
    {"write", {{"ADDRESS", Kind::kByte}, {"DATA", Kind::kByte}}, 2, 2, "write a DUT register",
     "Try_DUT_Register_Write: one register cycle. Fails (status 1) when the BUSY waits run\n"
     "out of polls.",
     RunWrite, nullptr},
    {"read", {{"ADDRESS", Kind::kByte}, {"COUNT", Kind::kCount}}, 2, 1, "read a DUT register, or dump a range",
     "Try_DUT_Register_Read: one register, or COUNT registers from ADDRESS as a hex table.\n"
     "Fails (status 1) when a cycle's BUSY waits run out of polls.",
     RunRead, CheckRead},
    {"expect", {{"ADDRESS", Kind::kByte}, {"VALUE", Kind::kByte}}, 2, 2, "read a DUT register and check it",
     "Try_DUT_Register_Read, then compares: fails (status 1) when the register holds\n"
     "anything but VALUE or the cycle does not complete.",
     RunExpect, nullptr},
    {"trace", {{"ACTION", Kind::kTraceAction}}, 1, 1, "record the library's calls, stop, or show them",
     "on: Trace_Begin (empties the trace and records). off: Trace_End (keeps the text).\n"
     "show: prints Get_Trace_Buffer, one call per line.",
     RunTrace, nullptr},
    {"echo", {{"TEXT", Kind::kText}}, 1, 0, "print a line",
     "Prints its words, for notes in a script's output. Everything after # is a comment.",
     RunEcho, nullptr},
};
// clang-format on

const CommandForm* FindCommand(const std::string& name)
{
    for (const CommandForm& form : kCommands) {
        if (name == form.name) {
            return &form;
        }
    }
    return nullptr;
}

}  // namespace

std::string ParseCommand(const std::vector<std::string>& words, ParsedCommand& command)
{
    command = ParsedCommand{};
    if (words.empty()) {
        return "no command";
    }
    const CommandForm* form = FindCommand(words[0]);
    if (form == nullptr) {
        return Quote(words[0]) + " is not a command (olvbusctl --help lists them)";
    }
    command.form = form;
    command.words.assign(words.begin() + 1, words.end());
    const auto given = static_cast<int>(command.words.size());
    const bool text = form->argCount > 0 && form->args[form->argCount - 1].kind == Kind::kText;
    if (given < form->required) {
        return std::string(form->name) + ": missing " + form->args[given].name + " (usage: " + Usage(*form) + ")";
    }
    if (given > form->argCount && !text) {
        return std::string(form->name) + ": unexpected " + Quote(command.words[form->argCount]) + " (usage: " +
               Usage(*form) + ")";
    }
    if (text) {
        return {};
    }
    for (int i = 0; i < given; ++i) {
        std::int64_t value = 0;
        std::string error = ParseArgument(*form, form->args[i], command.words[i], value);
        if (!error.empty()) {
            return error;
        }
        command.values.push_back(value);
    }
    return form->check != nullptr ? form->check(command) : std::string();
}

std::string RunCommand(const ParsedCommand& command, Session& session)
{
    return command.form->run(command, session);
}

void PrintCommandList(std::ostream& out)
{
    for (const CommandForm& form : kCommands) {
        out << "  " << std::left << std::setw(32) << Usage(form) << form.summary << '\n';
    }
}

bool PrintCommandHelp(const std::string& name, std::ostream& out)
{
    const CommandForm* form = FindCommand(name);
    if (form == nullptr) {
        return false;
    }
    out << "usage: olvbusctl [OPTIONS] " << Usage(*form) << "\n\n" << form->help << '\n';
    return true;
}

}  // namespace olvbusctl
