// The library's seam bound to the real Win32 calls and port instructions.
#ifndef OLVBUS_WIN32_PLATFORM_H
#define OLVBUS_WIN32_PLATFORM_H

#include "library/platform.h"

namespace olvbus::win32 {

class Win32Platform final : public Platform {
public:
    bool GetVersionEx(OsVersionInfo& info) override;
    OsHandle OpenExclusive(const char* name) override;
    bool CloseHandle(OsHandle handle) override;
    bool DeviceIoControl(OsHandle device, std::uint32_t code, const void* input,
                         std::uint32_t inputLength, void* output, std::uint32_t outputLength,
                         std::uint32_t* bytesReturned) override;
    void MessageBox(const char* text, const char* caption) override;
    bool OpenClassesRootKey(const char* subKey, RegistryKey* key) override;
    bool QueryDefaultValue(RegistryKey key, char* buffer, std::uint32_t* size) override;
    void CloseKey(RegistryKey key) override;
    std::uint32_t WinExec(const char* commandLine) override;
    std::uint32_t GetLastError() override;
    std::optional<std::string> SystemErrorText(std::uint32_t code) override;
    std::uint8_t InByte(std::uint16_t port) override;
    void OutByte(std::uint16_t port, std::uint8_t value) override;
};

}  // namespace olvbus::win32

#endif  // OLVBUS_WIN32_PLATFORM_H
