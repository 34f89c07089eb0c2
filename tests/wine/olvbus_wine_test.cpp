// olvbus.dll and OlvexPin.sys under Wine, one phase per run of this program;
// run_wine_tests.sh sets the machine up between phases.
//
//   nodriver   the DLL alone: load-time state, selection with the LPT files
//              present, held by another program, absent, and driver missing
//   hold N     (helper) holds \\.\LPTn open until told to let go
//   driver     OlvexPin installed and started: selection, registers, pins,
//              Peek/Poke, DUT cycles, the request contract through the I/O
//              manager, the memory buffer, and the debug-print records
//   removed    after removal and unload: no device, no link, last records
#include <windows.h>
#include <winternl.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "common/olvexpin_contract.h"
#include "tests/wine/test_drivers.h"

namespace {

int failures = 0;
int passes = 0;

void Check(bool ok, const std::string& what, const std::string& actual = "")
{
    if (ok) {
        ++passes;
        return;
    }
    ++failures;
    std::printf("FAILED: %s%s%s\n", what.c_str(), actual.empty() ? "" : "; actual: ", actual.c_str());
}

std::string Escaped(const std::string& text)
{
    std::string out;
    for (char c : text) {
        if (c == '\n') out += "\\n";
        else if (c == '\r') out += "\\r";
        else out += c;
    }
    return out;
}

void CheckText(const std::string& actual, const std::string& expected, const std::string& what)
{
    Check(actual == expected, what + " == \"" + Escaped(expected) + "\"", "\"" + Escaped(actual) + "\"");
}

void CheckValue(long long actual, long long expected, const std::string& what)
{
    Check(actual == expected, what + " == " + std::to_string(expected), std::to_string(actual));
}

// ---- olvbus.dll, resolved by ordinal ----

struct Olvbus {
    HMODULE module = nullptr;
    FARPROC byOrdinal[47] = {};

    template <typename F>
    F At(int ordinal) const { return reinterpret_cast<F>(byOrdinal[ordinal]); }

    const char* Version() const { return At<const char*(WINAPI*)()>(1)(); }
    void TraceBegin() const { At<void(WINAPI*)()>(2)(); }
    std::string Trace() const { return At<const char*(WINAPI*)()>(4)(); }
    int Select(int port) const { return At<int32_t(WINAPI*)(int32_t)>(5)(port); }
    int GetData() const { return At<int32_t(WINAPI*)()>(6)(); }
    void SetData(int v) const { At<void(WINAPI*)(int32_t)>(7)(v); }
    void SetDataEnable(int v) const { At<void(WINAPI*)(int32_t)>(9)(v); }
    int GetStatus() const { return At<int32_t(WINAPI*)()>(12)(); }
    int GetControl() const { return At<int32_t(WINAPI*)()>(13)(); }
    void SetControl(int v) const { At<void(WINAPI*)(int32_t)>(14)(v); }
    void WritePin(int pin, int level) const { At<void(WINAPI*)(int32_t, int32_t)>(15)(pin, level); }
    int ReadPin(int pin) const { return At<int32_t(WINAPI*)(int32_t)>(16)(pin); }
    int GetRegister(int offset) const { return At<int32_t(WINAPI*)(int32_t)>(17)(offset); }
    void SetRegister(int offset, int v) const { At<void(WINAPI*)(int32_t, int32_t)>(18)(offset, v); }
    int Peek(int port) const { return At<int32_t(WINAPI*)(int32_t)>(19)(port); }
    void Poke(int port, int v) const { At<void(WINAPI*)(int32_t, int32_t)>(20)(port, v); }
    bool StrobePin(int ordinal, int pin, int activeHigh) const
    {
        return (At<uint8_t(WINAPI*)(int32_t, uint8_t)>(ordinal)(pin, static_cast<uint8_t>(activeHigh)) & 0xFF) != 0;
    }
    bool DutWrite(int address, int data) const
    {
        return (At<uint8_t(WINAPI*)(int32_t, int32_t)>(45)(address, data) & 0xFF) != 0;
    }
    bool DutRead(int address, int32_t* value) const
    {
        return (At<uint8_t(WINAPI*)(int32_t, int32_t*)>(46)(address, value) & 0xFF) != 0;
    }
};

Olvbus LoadOlvbus()
{
    Olvbus dll;
    dll.module = LoadLibraryA("olvbus.dll");
    Check(dll.module != nullptr, "olvbus.dll loads", std::to_string(GetLastError()));
    if (dll.module == nullptr) {
        return dll;
    }
    for (int ordinal = 1; ordinal <= 46; ++ordinal) {
        dll.byOrdinal[ordinal] = GetProcAddress(dll.module, MAKEINTRESOURCEA(ordinal));
        Check(dll.byOrdinal[ordinal] != nullptr, "export @" + std::to_string(ordinal) + " resolves");
    }
    Check(GetProcAddress(dll.module, MAKEINTRESOURCEA(47)) == nullptr, "no export @47");
    return dll;
}

const std::string kVersionPortInstructions =
    "OlvBus.dll compiled Jun 30 2002 18:23:43\r\nOPEN_LPT_FILE USE_OLVEXPIN_SYS \r\nusing out dx,al \r\n"
    "supports DUT reg rd/wr; Peek/Poke; Trace.";
const std::string kVersionDriver =
    "OlvBus.dll compiled Jun 30 2002 18:23:43\r\nOPEN_LPT_FILE USE_OLVEXPIN_SYS \r\nusing OlvexPin.sys \r\n"
    "supports DUT reg rd/wr; Peek/Poke; Trace.";

// ---- phase nodriver ----

void SelectCase(const Olvbus& dll, int port, int expected, const std::string& trace)
{
    dll.TraceBegin();
    CheckValue(dll.Select(port), expected, "Select_LPT_123(" + std::to_string(port) + ")");
    CheckText(dll.Trace(), trace, "trace of Select_LPT_123(" + std::to_string(port) + ")");
}

int NoDriver(const char* self)
{
    const Olvbus dll = LoadOlvbus();
    if (dll.module == nullptr) return 1;
    CheckText(dll.Version(), kVersionPortInstructions, "version text at load");
    CheckText(dll.Trace(), "", "trace at load");

    for (int port : {0, 4, -1}) {
        SelectCase(dll, port, 0,
                   "\nSelect_LPT_123(" + std::to_string(port) + ")=0x0000 (failed: portid shoud be 1)");
    }
    // LPT1 and LPT2 exist, LPT3 does not; the driver is not installed.
    SelectCase(dll, 1, 0, "\nSelect_LPT_123(1)=0x0000 (failed: no OlvexPIN.sys)");
    CheckText(dll.Version(), kVersionPortInstructions, "version text after the driver was missing");
    SelectCase(dll, 3, 0, "\nSelect_LPT_123(3)=0x0000 (failed: can't open LPT port)");

    // Another program holds LPT2: the exclusive open must fail.
    HANDLE held = CreateEventA(nullptr, TRUE, FALSE, "olvbus_test_lpt_held");
    HANDLE release = CreateEventA(nullptr, TRUE, FALSE, "olvbus_test_lpt_release");
    std::string command = std::string("\"") + self + "\" hold 2";
    STARTUPINFOA startup = {sizeof startup};
    PROCESS_INFORMATION process = {};
    const bool started = CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                                        nullptr, &startup, &process);
    Check(started, "the holding program starts");
    if (started) {
        CheckValue(WaitForSingleObject(held, 10000), WAIT_OBJECT_0, "LPT2 is held by the other program");
        SelectCase(dll, 2, 0, "\nSelect_LPT_123(2)=0x0000 (failed: can't open LPT port)");
        SetEvent(release);
        WaitForSingleObject(process.hProcess, 10000);
        CloseHandle(process.hProcess);
        CloseHandle(process.hThread);
        SelectCase(dll, 2, 0, "\nSelect_LPT_123(2)=0x0000 (failed: no OlvexPIN.sys)");
    }
    // On NT without a driver handle no port instruction may run: the register
    // exports fail instead of faulting.
    dll.SetData(0x55);
    CheckText(dll.Version(), kVersionPortInstructions, "version text still without the driver");
    FreeLibrary(dll.module);
    return 0;
}

int Hold(int port)
{
    const std::string name = "\\\\.\\LPT" + std::to_string(port);
    HANDLE file = CreateFileA(name.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        std::printf("hold: cannot open %s (error %lu)\n", name.c_str(), GetLastError());
        return 1;
    }
    HANDLE held = OpenEventA(EVENT_MODIFY_STATE, FALSE, "olvbus_test_lpt_held");
    HANDLE release = OpenEventA(SYNCHRONIZE, FALSE, "olvbus_test_lpt_release");
    SetEvent(held);
    WaitForSingleObject(release, 30000);
    CloseHandle(file);
    return 0;
}

// ---- raw requests through the I/O manager, with their NT statuses ----

using NtDeviceIoControlFileFn = NTSTATUS(NTAPI*)(HANDLE, HANDLE, PVOID, PVOID, PIO_STATUS_BLOCK, ULONG,
                                                 PVOID, ULONG, PVOID, ULONG);
using NtReadWriteFileFn = NTSTATUS(NTAPI*)(HANDLE, HANDLE, PVOID, PVOID, PIO_STATUS_BLOCK, PVOID, ULONG,
                                           PLARGE_INTEGER, PULONG);

struct Reply {
    uint32_t status;
    uint32_t count;
    std::vector<uint8_t> out;
};

const uint8_t kSentinel = 0xEE;

Reply Request(HANDLE device, uint32_t code, std::vector<uint8_t> in, uint32_t outLength)
{
    static auto control = reinterpret_cast<NtDeviceIoControlFileFn>(
        GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtDeviceIoControlFile"));
    IO_STATUS_BLOCK io = {};
    Reply reply{0, 0, std::vector<uint8_t>(outLength, kSentinel)};
    reply.status = static_cast<uint32_t>(control(device, nullptr, nullptr, nullptr, &io, code,
                                                 in.empty() ? nullptr : in.data(),
                                                 static_cast<ULONG>(in.size()),
                                                 outLength ? reply.out.data() : nullptr, outLength));
    reply.count = reply.status == 0 ? static_cast<uint32_t>(io.Information) : 0;
    return reply;
}

Reply Transfer(HANDLE device, bool write, int64_t position, std::vector<uint8_t> bytes)
{
    static auto read = reinterpret_cast<NtReadWriteFileFn>(GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtReadFile"));
    static auto writeFile =
        reinterpret_cast<NtReadWriteFileFn>(GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtWriteFile"));
    IO_STATUS_BLOCK io = {};
    LARGE_INTEGER offset;
    offset.QuadPart = position;
    Reply reply{0, 0, bytes};
    reply.status = static_cast<uint32_t>((write ? writeFile : read)(
        device, nullptr, nullptr, nullptr, &io, reply.out.data(), static_cast<ULONG>(reply.out.size()),
        &offset, nullptr));
    reply.count = reply.status == 0 ? static_cast<uint32_t>(io.Information) : 0;
    return reply;
}

std::string Hex(const std::vector<uint8_t>& bytes)
{
    std::string text;
    char part[4];
    for (uint8_t b : bytes) {
        std::snprintf(part, sizeof part, "%02X ", b);
        text += part;
    }
    return text;
}

void CheckReply(const Reply& reply, uint32_t status, uint32_t count, const std::vector<uint8_t>& out,
                const std::string& what)
{
    char actual[64];
    std::snprintf(actual, sizeof actual, "status %08X count %u ", reply.status, reply.count);
    const bool ok = reply.status == status && reply.count == count && reply.out == out;
    Check(ok, what, actual + Hex(reply.out));
}

HANDLE OpenDevice(const char* path)
{
    return CreateFileA(path, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                       nullptr);
}

// ---- debug-print records from the substitute device ----

struct Record {
    int16_t time[8];
    std::string source;
    std::string text;
    size_t length;
};

std::vector<Record> records;

void TakeRecords(HANDLE reader)
{
    std::vector<uint8_t> buffer(256 * 1024);
    DWORD returned = 0;
    if (!DeviceIoControl(reader, VYR_TEST_TAKE_RECORDS, nullptr, 0, buffer.data(),
                         static_cast<DWORD>(buffer.size()), &returned, nullptr)) {
        return;
    }
    for (size_t at = 0; at + 2 <= returned;) {
        const size_t length = buffer[at] | (buffer[at + 1] << 8);
        const uint8_t* record = buffer.data() + at + 2;
        Record r{};
        std::memcpy(r.time, record, 16);
        r.source = reinterpret_cast<const char*>(record + 16);
        r.text = reinterpret_cast<const char*>(record + 16 + r.source.size() + 1);
        r.length = length;
        records.push_back(r);
        at += 2 + length;
    }
}

// The writer wakes at least once a second; wait a few of its rounds.
bool WaitForRecord(HANDLE reader, const std::string& text)
{
    for (int round = 0; round < 40; ++round) {
        TakeRecords(reader);
        for (const Record& r : records) {
            if (r.text == text) return true;
        }
        Sleep(100);
    }
    return false;
}

// The texts of the records from the first one equal to first, in order.
std::vector<std::string> TextsFrom(const std::string& first, size_t count)
{
    std::vector<std::string> texts;
    for (size_t i = 0; i < records.size(); ++i) {
        if (records[i].text == first) {
            for (size_t j = i; j < records.size() && texts.size() < count; ++j) texts.push_back(records[j].text);
            break;
        }
    }
    return texts;
}

void CheckSequence(const std::vector<std::string>& expected, const std::string& what)
{
    const std::vector<std::string> actual = TextsFrom(expected.front(), expected.size());
    std::string shown;
    for (const std::string& t : actual) shown += "[" + t + "] ";
    Check(actual == expected, what, shown);
}

// ---- phase driver ----

void LibraryThroughDriver()
{
    const Olvbus dll = LoadOlvbus();
    if (dll.module == nullptr) return;
    CheckText(dll.Version(), kVersionPortInstructions, "version text at load");
    SelectCase(dll, 1, 0x378, "\nSelect_LPT_123(1)=0x0378 ");
    CheckText(dll.Version(), kVersionDriver, "version text with the driver open");
    SelectCase(dll, 1, 0x378, "\nSelect_LPT_123(1)=0x0378 ");  // the same port twice

    // Registers: the driver acts on the simulated port at 0x378.
    dll.SetDataEnable(1);
    dll.SetData(0x1A5);
    CheckValue(dll.Peek(0x378), 0xA5, "Set_Data(0x1A5) latched 0xA5 at 0x378");
    dll.SetControl(0x05);
    CheckValue(dll.GetControl(), 0x05, "Get_Control after Set_Control(5)");
    CheckValue(dll.Peek(0x37A) & 0x3F, 0x05, "control register at 0x37A");
    // Status: inputs float high, bit 7 inverts pin 11, bits 0-2 read 1.
    CheckValue(dll.GetStatus(), 0x7F, "Get_Status with nothing driving the inputs");
    CheckValue(dll.GetRegister(0x102), 0xC5, "Get_Register(0x102) reads 0x37A (offset's low byte)");
    dll.SetRegister(0, 0x3C);
    CheckValue(dll.Peek(0x378), 0x3C, "Set_Register(0, 0x3C)");

    // Pins 2-9 are the data lines.
    dll.SetData(0x00);
    dll.WritePin(2, 1);
    CheckValue(dll.Peek(0x378), 0x01, "pin 2 high sets data bit 0");
    CheckValue(dll.ReadPin(2), 1, "pin 2 reads high");

    // Peek and Poke reach any port; nothing decodes 0x1234.
    dll.Poke(0x278, 0x5A);
    CheckValue(dll.Peek(0x278), 0x5A, "Poke/Peek on the second port");
    CheckValue(dll.Peek(0x10378), dll.Peek(0x378), "Peek takes the port address modulo 65536");
    CheckValue(dll.Peek(0x1234), 0xFF, "Peek of an undecoded port reads open bus");

    // DUT cycles over the real request path into the board on LPT1.
    Check(dll.StrobePin(37, 1, 0) && dll.StrobePin(38, 14, 0) && dll.StrobePin(39, 16, 1) &&
              dll.StrobePin(40, 17, 0),
          "strobes wired WR=1-, RD=14-, ADDR=16+, CS=17-");
    const int cases[][2] = {{0x12, 0x34}, {0x00, 0xFF}, {0xFF, 0x01}};
    for (const auto& c : cases) {
        Check(dll.DutWrite(c[0], c[1]), "Try_DUT_Register_Write(" + std::to_string(c[0]) + ")");
    }
    for (const auto& c : cases) {
        int32_t value = -1;
        Check(dll.DutRead(c[0], &value), "Try_DUT_Register_Read(" + std::to_string(c[0]) + ")");
        CheckValue(value, c[1], "DUT register " + std::to_string(c[0]) + " round trip");
    }
    dll.TraceBegin();
    dll.DutWrite(0x12, 0x34);
    CheckText(dll.Trace(), "\nTry_DUT_Register_Write(18,52)=true", "trace of a DUT write");
    FreeLibrary(dll.module);
}

void RequestContract()
{
    HANDLE device = OpenDevice(OLVEXPIN_USER_DEVICE_PATH);
    HANDLE second = OpenDevice(OLVEXPIN_USER_DEVICE_PATH);
    Check(device != INVALID_HANDLE_VALUE && second != INVALID_HANDLE_VALUE,
          "\\\\.\\OlvexPinXA opens twice (not exclusive)");
    const uint32_t kOk = OLVEXPIN_STATUS_SUCCESS, kBad = OLVEXPIN_STATUS_INVALID_PARAMETER,
                   kUnknown = OLVEXPIN_STATUS_INVALID_DEVICE_REQUEST, kEof = OLVEXPIN_STATUS_END_OF_FILE;
    const std::vector<uint8_t> none;
    const uint8_t s = kSentinel;

    struct Case {
        const char* what;
        uint32_t code;
        std::vector<uint8_t> in;
        uint32_t out;
        uint32_t status;
        uint32_t count;
        std::vector<uint8_t> reply;
    } table[] = {
        {"DATA write 0x5A then read", IOCTL_OLVEXPINXA_DATA, {0x5A}, 1, kOk, 1, {0x5A}},
        {"STATUS with no lengths", IOCTL_OLVEXPINXA_STATUS, {}, 0, kOk, 0, {}},
        {"CONTROL input 1 output 2: nothing copied back", IOCTL_OLVEXPINXA_CONTROL, {0x04}, 2, kBad, 0, {s, s}},
        {"GET_REGISTER offset 2", IOCTL_OLVEXPINXA_GET_REGISTER, {0x02, 0x00}, 1, kOk, 1, {0xC4}},
        {"GET_REGISTER output 3", IOCTL_OLVEXPINXA_GET_REGISTER, {0x02, 0x00}, 3, kBad, 0, {s, s, s}},
        {"GET_REGISTER output 0", IOCTL_OLVEXPINXA_GET_REGISTER, {0x02, 0x00}, 0, kBad, 0, {}},
        {"POKE word 0x1234 at 0x378", IOCTL_OLVEXPINXA_POKE, {0x78, 0x03, 0x34, 0x12}, 0, kOk, 0, {}},
        // The high byte went to the status register, which only reads: the
        // word read returns the latched 0x34 and the status inputs (0x7F).
        {"PEEK word at 0x378", IOCTL_OLVEXPINXA_PEEK, {0x78, 0x03}, 2, kOk, 2, {0x34, 0x7F}},
        {"PEEK output 3", IOCTL_OLVEXPINXA_PEEK, {0x78, 0x03}, 3, kBad, 0, {s, s, s}},
        {"POKE input 5", IOCTL_OLVEXPINXA_POKE, {0x78, 0x03, 1, 2, 3}, 0, kBad, 0, {}},
        {"SET_REGISTER with an output: no bytes come back", IOCTL_OLVEXPINXA_SET_REGISTER, {0, 0, 0x77}, 2, kOk, 0, {s, s}},
        {"unknown code 0x220410", 0x220410, {}, 4, kUnknown, 0, {s, s, s, s}},
        {"FREE_BUFFER with no buffer", IOCTL_OLVEXPINXA_FREE_BUFFER, {}, 0, kOk, 0, {}},
        {"READ_BUFFER output 0 with no buffer", IOCTL_OLVEXPINXA_READ_BUFFER, {}, 0, kOk, 0, {}},
        {"READ_BUFFER output 1 with no buffer", IOCTL_OLVEXPINXA_READ_BUFFER, {}, 1, kBad, 0, {s}},
    };
    for (const Case& c : table) {
        CheckReply(Request(device, c.code, c.in, c.out), c.status, c.count, c.reply, c.what);
    }

    // The memory buffer through read and write requests.
    CheckReply(Transfer(device, true, 0, {1, 2, 3, 4, 5}), kOk, 5, {1, 2, 3, 4, 5}, "write 5 bytes at 0");
    CheckReply(Request(second, IOCTL_OLVEXPINXA_BUFFER_LENGTH, {}, 8), kOk, 4, {5, 0, 0, 0, s, s, s, s},
               "BUFFER_LENGTH seen through the second handle");
    CheckReply(Transfer(device, false, 0, std::vector<uint8_t>(10, 0)), kOk, 5, {1, 2, 3, 4, 5, 0, 0, 0, 0, 0},
               "read 10 at 0 returns the 5 bytes");
    CheckReply(Transfer(device, false, 3, std::vector<uint8_t>(4, 0)), kOk, 2, {4, 5, 0, 0}, "read 4 at 3");
    CheckReply(Transfer(device, false, 5, std::vector<uint8_t>(4, 0)), kEof, 0, {0, 0, 0, 0}, "read at the end");
    CheckReply(Transfer(device, true, 10, {7, 8, 9}), kOk, 3, {7, 8, 9}, "write 3 bytes at 10 grows the buffer");
    CheckReply(Request(device, IOCTL_OLVEXPINXA_READ_BUFFER, {}, 13), kOk, 13,
               {1, 2, 3, 4, 5, 0, 0, 0, 0, 0, 7, 8, 9}, "READ_BUFFER of the grown buffer");
    CheckReply(Request(device, IOCTL_OLVEXPINXA_READ_BUFFER, {}, 14), kBad, 0, std::vector<uint8_t>(14, s),
               "READ_BUFFER past the length");
    CheckReply(Request(device, IOCTL_OLVEXPINXA_BUFFER_LENGTH_2, {}, 3), kBad, 0, {s, s, s},
               "BUFFER_LENGTH_2 output 3");
    CheckReply(Request(device, IOCTL_OLVEXPINXA_CLEAR_BUFFER, {}, 0), kOk, 0, {}, "CLEAR_BUFFER");
    CheckReply(Request(device, IOCTL_OLVEXPINXA_READ_BUFFER, {}, 13), kOk, 13, std::vector<uint8_t>(13, 0),
               "the cleared buffer reads zeros");
    CheckReply(Request(device, IOCTL_OLVEXPINXA_FREE_BUFFER, {}, 0), kOk, 0, {}, "FREE_BUFFER");
    CheckReply(Request(device, IOCTL_OLVEXPINXA_BUFFER_LENGTH_2, {}, 4), kOk, 4, {0, 0, 0, 0}, "length after FREE");
    CheckReply(Transfer(device, false, 0, {0}), kEof, 0, {0}, "read after FREE_BUFFER");
    CloseHandle(second);
    CloseHandle(device);
}

void DebugPrintRecords()
{
    HANDLE reader = OpenDevice(VYR_TEST_LINK_NAME);
    Check(reader != INVALID_HANDLE_VALUE, "the substitute debug-print device opens");
    if (reader == INVALID_HANDLE_VALUE) return;
    Check(WaitForRecord(reader, "DeviceIoControl: 0 bytes written"), "device control records arrive");
    Sleep(1500);  // one more writer round for the last requests' records
    TakeRecords(reader);

    CheckSequence({"DebugPrint logging started",
                   "RegistryPath is \\Registry\\Machine\\System\\CurrentControlSet\\Services\\OlvexPin",
                   "DriverEntry completed", "AddDevice"},
                  "records of the driver's start");
    CheckSequence({"DeviceIoControl: Control code 00220410 InputLength 0 OutputLength 4",
                   "DeviceIoControl: 0 bytes written"},
                  "records of an unknown code");
    CheckSequence({"DeviceIoControl: Control code 002207E4 InputLength 4 OutputLength 0",
                   "DeviceIoControl: IOCTL_OLVEXPINXA_POKE(i/o port 888, uint16 data 4660)",
                   "DeviceIoControl: 0 bytes written"},
                  "records of a word poke");
    CheckSequence({"Write 5 bytes from file pointer 0", "Write: 5 bytes written"}, "records of a write");
    CheckSequence({"Read 4 bytes from file pointer 5", "Read: 0 bytes returned"}, "records of a read at the end");
    bool createSeen = false;
    for (const Record& r : records) createSeen = createSeen || r.text == "Create File is ";
    Check(createSeen, "a create record with the empty file name");

    bool formatOk = !records.empty();
    for (const Record& r : records) {
        formatOk = formatOk && r.source == "OlvexPinXA checked" && r.length == 16 + 19 + r.text.size() + 1 &&
                   r.time[0] >= 2000 && r.time[1] >= 1 && r.time[1] <= 12 && r.time[7] >= 0 && r.time[7] <= 6;
    }
    Check(formatOk, "every record: time fields, \"OlvexPinXA checked\", text, length 16 + 19 + M");
    // The time is the system time in UTC, read when the message was queued.
    SYSTEMTIME nowFields;
    GetSystemTime(&nowFields);
    FILETIME now;
    SystemTimeToFileTime(&nowFields, &now);
    bool timesOk = !records.empty();
    for (const Record& r : records) {
        const SYSTEMTIME fields = {static_cast<WORD>(r.time[0]), static_cast<WORD>(r.time[1]),
                                   static_cast<WORD>(r.time[7]), static_cast<WORD>(r.time[2]),
                                   static_cast<WORD>(r.time[3]), static_cast<WORD>(r.time[4]),
                                   static_cast<WORD>(r.time[5]), static_cast<WORD>(r.time[6])};
        FILETIME when;
        const auto ticks = [](const FILETIME& t) {
            return static_cast<int64_t>((static_cast<uint64_t>(t.dwHighDateTime) << 32) | t.dwLowDateTime);
        };
        timesOk = timesOk && SystemTimeToFileTime(&fields, &when) &&
                  ticks(now) - ticks(when) >= 0 && ticks(now) - ticks(when) < 10 * 60 * 10000000LL;
    }
    Check(timesOk, "every record carries the UTC time of the last minutes");

    VyrTestOpenParameters open = {};
    DWORD returned = 0;
    DeviceIoControl(reader, VYR_TEST_OPEN_PARAMETERS, nullptr, 0, &open, sizeof open, &returned, nullptr);
    // Wine's I/O manager hands a device the share access of an open, but
    // neither the access mask nor the disposition (both arrive as zero); the
    // host tests' debug-print device checks those.
    CheckValue(open.opens, 1, "the client opened the device once");
    CheckValue(open.shareAccess, 3, "opened sharing read and write");
    CloseHandle(reader);
}

int Driver()
{
    LibraryThroughDriver();
    RequestContract();
    DebugPrintRecords();
    return 0;
}

// ---- phase removed ----

int Removed()
{
    HANDLE device = OpenDevice(OLVEXPIN_USER_DEVICE_PATH);
    Check(device == INVALID_HANDLE_VALUE, "\\\\.\\OlvexPinXA no longer opens");
    char target[512];
    Check(QueryDosDeviceA("OlvexPinXA", target, sizeof target) == 0, "no OlvexPinXA link is left", target);

    HANDLE reader = OpenDevice(VYR_TEST_LINK_NAME);
    Check(reader != INVALID_HANDLE_VALUE, "the substitute debug-print device opens");
    if (reader == INVALID_HANDLE_VALUE) return 0;
    Check(WaitForRecord(reader, "DebugPrint logging ended"), "the last record arrives");
    CheckSequence({"PnP RemoveDevice"}, "the removal is logged");
    CheckSequence({"OlvexPinXAUnload", "DebugPrint logging ended"}, "unload stops the client");
    CheckText(records.empty() ? "" : records.back().text, "DebugPrint logging ended", "the last record");
    CloseHandle(reader);
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    const std::string phase = argc > 1 ? argv[1] : "";
    if (phase == "hold" && argc > 2) return Hold(std::atoi(argv[2]));
    if (phase == "nodriver") NoDriver(argv[0]);
    else if (phase == "driver") Driver();
    else if (phase == "removed") Removed();
    else {
        std::printf("usage: olvbus_wine_test nodriver | driver | removed\n");
        return 2;
    }
    std::printf("%s: %d passed, %d failed\n", phase.c_str(), passes, failures);
    return failures == 0 ? 0 : 1;
}
