#include "sim/sim_os.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

#include "common/olvexpin_contract.h"

namespace olvbus::sim {
namespace {

constexpr const char kLptPrefix[] = "\\\\.\\LPT";
constexpr RegistryKey kPdfKey = 0x80000100;

// The system's own texts, each ending in CR LF as FormatMessage delivers them.
struct ErrorText {
    std::uint32_t code;
    const char* text;
};
constexpr ErrorText kErrorTexts[] = {
    {0, "The operation completed successfully.\r\n"},
    {kErrorFileNotFound, "The system cannot find the file specified.\r\n"},
    {kErrorAccessDenied, "Access is denied.\r\n"},
    {kErrorInvalidHandle, "The handle is invalid.\r\n"},
    {kErrorBadFormat, "An attempt was made to load a program with an incorrect format.\r\n"},
    {kErrorGenFailure, "A device attached to the system is not functioning.\r\n"},
    {kErrorSharingViolation,
     "The process cannot access the file because it is being used by another process.\r\n"},
    {kErrorInvalidParameter, "The parameter is incorrect.\r\n"},
    {kErrorMoreData, "More data is available.\r\n"},
};

// How the I/O manager turns a driver's failure status into a Win32 error.
std::uint32_t ErrorFromStatus(std::uint32_t status)
{
    switch (status) {
    case OLVEXPIN_STATUS_INVALID_PARAMETER:
        return kErrorInvalidParameter;
    case OLVEXPIN_STATUS_INVALID_DEVICE_REQUEST:
        return 1;  // ERROR_INVALID_FUNCTION
    case OLVEXPIN_STATUS_END_OF_FILE:
        return 38;  // ERROR_HANDLE_EOF
    default:
        return kErrorGenFailure;
    }
}

bool IsFailure(std::uint32_t status) { return (status >> 30) == 3; }

}  // namespace

SimOs::SimOs(SimOsConfig config, SimDriver& driver) : config_(std::move(config)), driver_(driver) {}

OsHandle SimOs::OpenExclusive(const std::string& name)
{
    Object kind;
    if (name == OLVEXPIN_USER_DEVICE_PATH) {
        if (!config_.driverInstalled) {
            lastError_ = kErrorFileNotFound;
            return kInvalidHandle;
        }
        // The driver keeps no share access: any number of opens succeed.
        kind = Object::kDriver;
    } else if (name.rfind(kLptPrefix, 0) == 0 && name.size() == sizeof kLptPrefix) {
        const int port = name.back() - '0';
        if (port < 1 || port > 3 || config_.absentPorts.count(port) != 0) {
            lastError_ = kErrorFileNotFound;
            return kInvalidHandle;
        }
        if (config_.heldPorts.count(port) != 0 || IsOpen(name)) {
            lastError_ = kErrorSharingViolation;
            return kInvalidHandle;
        }
        kind = Object::kLptFile;
    } else {
        lastError_ = kErrorFileNotFound;
        return kInvalidHandle;
    }
    const OsHandle handle = nextHandle_;
    nextHandle_ += 4;
    handles_.push_back(OpenObject{handle, kind, name});
    return handle;
}

bool SimOs::CloseHandle(OsHandle handle)
{
    const auto found = Find(handle);
    if (found == handles_.end()) {
        lastError_ = kErrorInvalidHandle;
        return false;
    }
    handles_.erase(found);
    return true;
}

std::vector<SimOs::OpenObject>::iterator SimOs::Find(OsHandle handle)
{
    return std::find_if(handles_.begin(), handles_.end(),
                        [handle](const OpenObject& entry) { return entry.handle == handle; });
}

bool SimOs::IsOpen(const std::string& name) const
{
    return std::any_of(handles_.begin(), handles_.end(),
                       [&](const OpenObject& entry) { return entry.name == name; });
}

bool SimOs::DeviceIoControl(OsHandle device, std::uint32_t code, const void* input,
                            std::uint32_t inputLength, void* output, std::uint32_t outputLength,
                            std::uint32_t* bytesReturned)
{
    ++requests_;
    if (bytesReturned != nullptr) {
        *bytesReturned = 0;
    }
    const auto found = Find(device);
    if (found == handles_.end() || found->kind != Object::kDriver) {
        lastError_ = kErrorInvalidHandle;
        return false;
    }
    RequestFailure& failure = config_.failRequests;
    if (failure.remaining != 0 && (!failure.code || *failure.code == code)) {
        if (failure.remaining > 0) {
            --failure.remaining;
        }
        lastError_ = kErrorGenFailure;
        return false;
    }
    // METHOD_BUFFERED: one system buffer of max(in, out) bytes holding the
    // input; the driver's reply is written over it. Most requests carry a
    // byte or two: those stay off the heap.
    const std::uint32_t size = std::max(inputLength, outputLength);
    std::uint8_t small[16];
    std::unique_ptr<std::uint8_t[]> large;
    std::uint8_t* systemBuffer = small;
    if (size > sizeof small) {
        large = std::make_unique<std::uint8_t[]>(size);
        systemBuffer = large.get();
    }
    const auto* in = static_cast<const std::uint8_t*>(input);
    for (std::uint32_t i = 0; i < inputLength; ++i) {
        systemBuffer[i] = in[i];
    }
    const olvexpin::DeviceControlResult result =
        driver_.DeviceControl(code, inputLength, outputLength, size == 0 ? nullptr : systemBuffer);
    if (IsFailure(result.status)) {
        lastError_ = ErrorFromStatus(result.status);
        return false;
    }
    const std::uint32_t copied = std::min(result.count, outputLength);
    auto* out = static_cast<std::uint8_t*>(output);
    for (std::uint32_t i = 0; i < copied; ++i) {
        out[i] = systemBuffer[i];
    }
    if (bytesReturned != nullptr) {
        *bytesReturned = copied;
    }
    return true;
}

bool SimOs::GetVersionEx(OsVersionInfo& info)
{
    if (config_.versionQueryFails || info.dwOSVersionInfoSize != sizeof(OsVersionInfo)) {
        lastError_ = kErrorInvalidParameter;
        return false;
    }
    if (config_.family == OsFamily::kNt) {
        info.dwMajorVersion = 5;  // Windows 2000
        info.dwMinorVersion = 0;
        info.dwBuildNumber = 2195;
        info.dwPlatformId = kPlatformWin32Nt;
        std::strcpy(info.szCSDVersion, "Service Pack 2");
    } else {
        info.dwMajorVersion = 4;  // Windows 98
        info.dwMinorVersion = 10;
        info.dwBuildNumber = 0x040A07CE;
        info.dwPlatformId = kPlatformWin32Windows;
        std::strcpy(info.szCSDVersion, " A ");
    }
    return true;
}

void SimOs::MessageBox(const std::string& text, const std::string& caption)
{
    messageBoxes_.push_back({text, caption});
    if (echo_) {
        echo_(messageBoxes_.back());
    }
}

bool SimOs::OpenClassesRootKey(const std::string& subKey, RegistryKey* key)
{
    if (subKey != ".pdf" || !config_.pdfHandler) {
        lastError_ = kErrorFileNotFound;
        return false;
    }
    if (config_.pdfKeyDenied) {
        lastError_ = kErrorAccessDenied;
        return false;
    }
    ++openKeys_;
    *key = kPdfKey;
    return true;
}

bool SimOs::QueryDefaultValue(RegistryKey key, char* buffer, std::uint32_t* size)
{
    if (key != kPdfKey || !config_.pdfHandler) {
        return false;
    }
    const std::string& value = *config_.pdfHandler;
    const auto needed = static_cast<std::uint32_t>(value.size() + 1);
    if (needed > *size) {
        *size = needed;
        lastError_ = kErrorMoreData;
        return false;
    }
    std::memcpy(buffer, value.c_str(), needed);
    *size = needed;
    return true;
}

void SimOs::CloseKey(RegistryKey key)
{
    if (key == kPdfKey) {
        --openKeys_;
    }
}

// Without a script the shell behaves as Windows does with the notes beside
// the application: a document is no program (bad format), "start" is a
// command of the shell, not a program (not found), and explorer opens it.
// Without the notes the bare name is not found.
std::uint32_t SimOs::WinExec(const std::string& commandLine)
{
    launches_.push_back(commandLine);
    std::uint32_t result;
    if (!scriptedWinExec_.empty()) {
        result = scriptedWinExec_.front();
        scriptedWinExec_.pop_front();
    } else if (!config_.notesPresent) {
        result = kErrorFileNotFound;
    } else if (commandLine.rfind("explorer ", 0) == 0) {
        result = 33;
    } else if (commandLine.rfind("start ", 0) == 0) {
        result = kErrorFileNotFound;
    } else {
        result = kErrorBadFormat;
    }
    if (result < 32) {
        lastError_ = result;
    }
    return result;
}

std::optional<std::string> SimOs::SystemErrorText(std::uint32_t code) const
{
    for (const ErrorText& entry : kErrorTexts) {
        if (entry.code == code) {
            return std::string(entry.text);
        }
    }
    return std::nullopt;
}

}  // namespace olvbus::sim
