// Select_LPT_123, and binding the driver on the NT family.
#include <cstdint>
#include <cstdio>
#include <string>

#include "common/olvexpin_contract.h"
#include "library/library.h"

namespace olvbus {
namespace {

constexpr std::uint16_t kPortBaseTable[] = {0, 0x378, 0x278, 0x3BC};

constexpr const char kDriverMissingText[] =
    "Cannot open required device driver OLVEXPIN.SYS.\r\nPlease re-install the software and try "
    "again.";

// The registry value is read into a fixed 64-byte buffer; a longer value
// makes the query fail, which counts as "no PDF reader".
constexpr std::uint32_t kRegistryValueBuffer = 64;

constexpr std::uint32_t kWinExecStarted = 32;      // WinExec: above 31 means started
constexpr std::uint32_t kErrorFileNotFound = 2;    // ERROR_FILE_NOT_FOUND

// What the report says when the system has no text for the error code.
constexpr const char kNoSystemText[] = "unknown error";

}  // namespace

std::int32_t Library::Select_LPT_123(std::int32_t portid)
{
    if (state_.traceOn) {
        state_.traceText.AppendFormat("\n%s(%d)", "Select_LPT_123", portid);
    }
    std::int32_t result = 0;
    const char* status = "";
    if (portid < 1 || portid > 3) {
        // The text has always said "1"; applications match on it.
        status = "(failed: portid shoud be 1)";
    } else {
        if (state_.lptHandle != kInvalidHandle) {
            platform_.CloseHandle(state_.lptHandle);
        }
        char fileName[16];
        std::snprintf(fileName, sizeof fileName, "\\\\.\\LPT%d", portid);
        state_.lptHandle = platform_.OpenExclusive(fileName);
        if (state_.lptHandle == kInvalidHandle) {
            status = "(failed: can't open LPT port)";
        } else if (IsNtFamily(state_) && !OpenRequiredDriver()) {
            status = "(failed: no OlvexPIN.sys)";
        } else {
            state_.portBase = kPortBaseTable[portid];
            result = state_.portBase;
        }
    }
    if (state_.traceOn) {
        state_.traceText.AppendFormat("=0x%4.4X %s", static_cast<unsigned>(result), status);
    }
    return result;
}

bool Library::OpenRequiredDriver()
{
    if (state_.driverHandle != kInvalidHandle) {
        platform_.CloseHandle(state_.driverHandle);
    }
    state_.driverHandle = platform_.OpenExclusive(OLVEXPIN_USER_DEVICE_PATH);
    if (state_.driverHandle != kInvalidHandle) {
        return true;
    }
    platform_.MessageBox(kDriverMissingText, kMessageBoxCaption);
    OpenDocument(PdfHandlerRegistered() ? "Win2000.pdf" : "Win2000.txt");
    return false;
}

bool Library::PdfHandlerRegistered()
{
    RegistryKey key = 0;
    if (!platform_.OpenClassesRootKey(".pdf", &key)) {
        return false;
    }
    char value[kRegistryValueBuffer] = {};
    std::uint32_t size = sizeof value;
    const bool read = platform_.QueryDefaultValue(key, value, &size);
    platform_.CloseKey(key);
    // Only the first byte is looked at: a 64-byte value need not be terminated.
    return read && value[0] != '\0';
}

// Three ways to have the shell open a document, tried in turn: the bare name,
// "start", then "explorer". A bare name that is not found ends the attempts.
bool Library::OpenDocument(const char* fileName)
{
    static constexpr const char* kPrefixes[] = {"", "start ", "explorer "};
    std::string commandLine;
    for (int attempt = 0; attempt < 3; ++attempt) {
        commandLine = std::string(kPrefixes[attempt]) + fileName;
        const std::uint32_t started = platform_.WinExec(commandLine.c_str());
        if (started >= kWinExecStarted) {
            return true;
        }
        if (attempt == 0 && started == kErrorFileNotFound) {
            break;
        }
    }
    const std::uint32_t code = platform_.GetLastError();
    const std::optional<std::string> systemText = platform_.SystemErrorText(code);
    const std::string shown = systemText ? *systemText : kNoSystemText;
    std::string message = commandLine + "\nError " + std::to_string(static_cast<std::int32_t>(code)) +
                          ": " + shown;
    platform_.MessageBox(message.c_str(), kMessageBoxCaption);
    return false;
}

}  // namespace olvbus
