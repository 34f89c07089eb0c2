// Each seam method is one Win32 call (or one port instruction). windows.h
// maps MessageBox and GetVersionEx to their A/W forms by macro; the seam's
// methods share those names, so the macros go and the A forms are named.
#include <windows.h>
#undef MessageBox
#undef GetVersionEx

#include "library/win32/win32_platform.h"

#include <cstddef>

#include "library/win32/port_instructions.h"

namespace olvbus::win32 {
namespace {

static_assert(sizeof(OsVersionInfo) == sizeof(OSVERSIONINFOA));
static_assert(offsetof(OsVersionInfo, dwPlatformId) == offsetof(OSVERSIONINFOA, dwPlatformId));
static_assert(sizeof(OsHandle) == sizeof(HANDLE));
static_assert(sizeof(RegistryKey) == sizeof(HKEY));

HANDLE ToHandle(OsHandle handle) { return reinterpret_cast<HANDLE>(handle); }
OsHandle FromHandle(HANDLE handle) { return reinterpret_cast<OsHandle>(handle); }

}  // namespace

bool Win32Platform::GetVersionEx(OsVersionInfo& info)
{
    return ::GetVersionExA(reinterpret_cast<OSVERSIONINFOA*>(&info)) != FALSE;
}

OsHandle Win32Platform::OpenExclusive(const char* name)
{
    return FromHandle(::CreateFileA(name, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
}

bool Win32Platform::CloseHandle(OsHandle handle)
{
    return ::CloseHandle(ToHandle(handle)) != FALSE;
}

bool Win32Platform::DeviceIoControl(OsHandle device, std::uint32_t code, const void* input,
                                    std::uint32_t inputLength, void* output,
                                    std::uint32_t outputLength, std::uint32_t* bytesReturned)
{
    DWORD returned = 0;
    const BOOL ok = ::DeviceIoControl(ToHandle(device), code, const_cast<void*>(input), inputLength,
                                      output, outputLength, &returned, nullptr);
    if (bytesReturned != nullptr) {
        *bytesReturned = returned;
    }
    return ok != FALSE;
}

void Win32Platform::MessageBox(const char* text, const char* caption)
{
    ::MessageBoxA(nullptr, text, caption, MB_OK);
}

bool Win32Platform::OpenClassesRootKey(const char* subKey, RegistryKey* key)
{
    HKEY opened = nullptr;
    if (::RegOpenKeyExA(HKEY_CLASSES_ROOT, subKey, 0, KEY_ALL_ACCESS, &opened) != ERROR_SUCCESS) {
        return false;
    }
    *key = reinterpret_cast<RegistryKey>(opened);
    return true;
}

bool Win32Platform::QueryDefaultValue(RegistryKey key, char* buffer, std::uint32_t* size)
{
    DWORD length = *size;
    const LONG result = ::RegQueryValueExA(reinterpret_cast<HKEY>(key), nullptr, nullptr, nullptr,
                                           reinterpret_cast<BYTE*>(buffer), &length);
    *size = length;
    return result == ERROR_SUCCESS;
}

void Win32Platform::CloseKey(RegistryKey key)
{
    ::RegCloseKey(reinterpret_cast<HKEY>(key));
}

std::uint32_t Win32Platform::WinExec(const char* commandLine)
{
    return ::WinExec(commandLine, SW_SHOWNORMAL);
}

std::uint32_t Win32Platform::GetLastError()
{
    return ::GetLastError();
}

std::optional<std::string> Win32Platform::SystemErrorText(std::uint32_t code)
{
    // With ALLOCATE_BUFFER the system stores a LocalAlloc'ed pointer where the
    // buffer argument points.
    char* text = nullptr;
    const DWORD length =
        ::FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM, nullptr, code,
                         MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), reinterpret_cast<char*>(&text),
                         0, nullptr);
    if (length == 0 || text == nullptr) {
        return std::nullopt;
    }
    std::string copy(text, length);
    ::LocalFree(text);
    return copy;
}

std::uint8_t Win32Platform::InByte(std::uint16_t port)
{
    return InPortByte(port);
}

void Win32Platform::OutByte(std::uint16_t port, std::uint8_t value)
{
    OutPortByte(port, value);
}

}  // namespace olvbus::win32
