// The operating system of the simulated PC, as far as olvbus sees it: the
// family, the LPT files and the driver device with their handles, buffered
// device control requests (the I/O manager), the registry value of the PDF
// check, the shell launcher, message boxes (recorded, never shown) and the
// thread's last error.
#ifndef OLVBUS_SIM_SIM_OS_H
#define OLVBUS_SIM_SIM_OS_H

#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "library/platform.h"
#include "sim/sim_driver.h"

namespace olvbus::sim {

enum class OsFamily { kNt, kWin9x };

// Win32 error codes the simulation produces.
inline constexpr std::uint32_t kErrorFileNotFound = 2;
inline constexpr std::uint32_t kErrorAccessDenied = 5;
inline constexpr std::uint32_t kErrorInvalidHandle = 6;
inline constexpr std::uint32_t kErrorBadFormat = 11;
inline constexpr std::uint32_t kErrorGenFailure = 31;
inline constexpr std::uint32_t kErrorSharingViolation = 32;
inline constexpr std::uint32_t kErrorInvalidParameter = 87;
inline constexpr std::uint32_t kErrorMoreData = 234;

struct MessageBoxRecord {
    std::string text;
    std::string caption;
};

// Which device control requests the I/O manager fails before they reach the
// driver, as a broken or overloaded system would.
struct RequestFailure {
    std::optional<std::uint32_t> code;  // every code when empty
    std::int64_t remaining = 0;         // < 0: for ever
};

struct SimOsConfig {
    OsFamily family = OsFamily::kNt;
    bool driverInstalled = true;
    std::set<int> heldPorts;    // LPT files another program holds open
    std::set<int> absentPorts;  // LPT files that do not exist
    std::optional<std::string> pdfHandler;  // HKEY_CLASSES_ROOT\.pdf default value
    bool pdfKeyDenied = false;              // the user may not open the key for full access
    bool notesPresent = true;               // Win2000.pdf/.txt beside the application
    RequestFailure failRequests;
    bool versionQueryFails = false;
};

class SimOs {
public:
    SimOs(SimOsConfig config, SimDriver& driver);

    SimOsConfig& Config() { return config_; }

    // Files and devices.
    OsHandle OpenExclusive(const std::string& name);
    bool CloseHandle(OsHandle handle);
    bool IsOpen(const std::string& name) const;
    std::size_t OpenHandleCount() const { return handles_.size(); }

    // The I/O manager's buffered device control.
    bool DeviceIoControl(OsHandle device, std::uint32_t code, const void* input,
                         std::uint32_t inputLength, void* output, std::uint32_t outputLength,
                         std::uint32_t* bytesReturned);
    std::uint64_t RequestCount() const { return requests_; }
    void FailRequests(RequestFailure failure) { config_.failRequests = failure; }

    bool GetVersionEx(OsVersionInfo& info);

    void MessageBox(const std::string& text, const std::string& caption);
    const std::vector<MessageBoxRecord>& MessageBoxes() const { return messageBoxes_; }
    // Called for every box as well as recording it (the host echoes to stderr).
    void OnMessageBox(std::function<void(const MessageBoxRecord&)> echo) { echo_ = std::move(echo); }

    bool OpenClassesRootKey(const std::string& subKey, RegistryKey* key);
    bool QueryDefaultValue(RegistryKey key, char* buffer, std::uint32_t* size);
    void CloseKey(RegistryKey key);
    int OpenKeyCount() const { return openKeys_; }

    std::uint32_t WinExec(const std::string& commandLine);
    const std::vector<std::string>& Launches() const { return launches_; }
    // Results for the next WinExec calls, in order (each also becomes the last error).
    void ScriptWinExec(std::deque<std::uint32_t> results) { scriptedWinExec_ = std::move(results); }

    std::uint32_t LastError() const { return lastError_; }
    void SetLastError(std::uint32_t code) { lastError_ = code; }
    std::optional<std::string> SystemErrorText(std::uint32_t code) const;

private:
    enum class Object { kLptFile, kDriver };
    struct OpenObject {
        OsHandle handle;
        Object kind;
        std::string name;
    };
    // A handful of handles at most: a flat table is the quickest to search,
    // and every simulated request searches it.
    std::vector<OpenObject>::iterator Find(OsHandle handle);

    SimOsConfig config_;
    SimDriver& driver_;
    std::vector<OpenObject> handles_;
    OsHandle nextHandle_ = 0x100;
    std::uint64_t requests_ = 0;
    std::vector<MessageBoxRecord> messageBoxes_;
    std::function<void(const MessageBoxRecord&)> echo_;
    int openKeys_ = 0;
    std::vector<std::string> launches_;
    std::deque<std::uint32_t> scriptedWinExec_;
    std::uint32_t lastError_ = 0;
};

}  // namespace olvbus::sim

#endif  // OLVBUS_SIM_SIM_OS_H
