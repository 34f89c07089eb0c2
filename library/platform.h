// The library's seam: every operating-system and hardware service olvbus
// uses, shaped after what the library asks rather than after Win32. The DLL
// binds it to the real calls (library/win32/), the host build to the
// simulated PC (library/host/); the library's logic never knows which.
#ifndef OLVBUS_PLATFORM_H
#define OLVBUS_PLATFORM_H

#include <cstdint>
#include <optional>
#include <string>

namespace olvbus {

// An operating-system handle as the library stores it; the invalid value is
// INVALID_HANDLE_VALUE's bit pattern.
using OsHandle = std::uintptr_t;
inline constexpr OsHandle kInvalidHandle = ~OsHandle{0};

// OSVERSIONINFOA, field for field: 148 bytes.
struct OsVersionInfo {
    std::uint32_t dwOSVersionInfoSize = 0;
    std::uint32_t dwMajorVersion = 0;
    std::uint32_t dwMinorVersion = 0;
    std::uint32_t dwBuildNumber = 0;
    std::uint32_t dwPlatformId = 0;
    char szCSDVersion[128] = {};
};
static_assert(sizeof(OsVersionInfo) == 148);

inline constexpr std::uint32_t kPlatformWin32Windows = 1;  // VER_PLATFORM_WIN32_WINDOWS
inline constexpr std::uint32_t kPlatformWin32Nt = 2;       // VER_PLATFORM_WIN32_NT

using RegistryKey = std::uintptr_t;

class Platform {
public:
    virtual ~Platform() = default;

    // GetVersionExA on a record whose size field the caller has set.
    virtual bool GetVersionEx(OsVersionInfo& info) = 0;

    // CreateFileA(name, read|write, share 0, OPEN_EXISTING): an exclusive open
    // of an existing file or device. kInvalidHandle on failure.
    virtual OsHandle OpenExclusive(const char* name) = 0;
    virtual bool CloseHandle(OsHandle handle) = 0;

    // One synchronous buffered DeviceIoControl, no overlapped structure.
    // input/output may be null when their length is 0.
    virtual bool DeviceIoControl(OsHandle device, std::uint32_t code, const void* input,
                                 std::uint32_t inputLength, void* output,
                                 std::uint32_t outputLength, std::uint32_t* bytesReturned) = 0;

    // MessageBoxA(no owner, text, caption, MB_OK); returns once dismissed.
    virtual void MessageBox(const char* text, const char* caption) = 0;

    // The three registry steps of the PDF-handler check:
    // RegOpenKeyExA(HKEY_CLASSES_ROOT, subKey, 0, KEY_ALL_ACCESS),
    // RegQueryValueExA of the default value into buffer (size in, length out),
    // RegCloseKey.
    virtual bool OpenClassesRootKey(const char* subKey, RegistryKey* key) = 0;
    virtual bool QueryDefaultValue(RegistryKey key, char* buffer, std::uint32_t* size) = 0;
    virtual void CloseKey(RegistryKey key) = 0;

    // WinExec(commandLine, SW_SHOWNORMAL): above 31 means started.
    virtual std::uint32_t WinExec(const char* commandLine) = 0;

    virtual std::uint32_t GetLastError() = 0;
    // FormatMessageA(FROM_SYSTEM, code, language 0x400) as a copy; nothing when
    // the system has no text for the code.
    virtual std::optional<std::string> SystemErrorText(std::uint32_t code) = 0;

    // 8-bit port input and output instructions.
    virtual std::uint8_t InByte(std::uint16_t port) = 0;
    virtual void OutByte(std::uint16_t port, std::uint8_t value) = 0;
};

}  // namespace olvbus

#endif  // OLVBUS_PLATFORM_H
