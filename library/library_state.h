// LibraryState: everything olvbus knows, one record per process.
#ifndef OLVBUS_LIBRARY_STATE_H
#define OLVBUS_LIBRARY_STATE_H

#include <cstdint>

#include "library/call_trace.h"
#include "library/platform.h"

namespace olvbus {

// Strobe order of setToAssert and clearToAssert.
enum Strobe : int { kStrobeWr = 0, kStrobeRd = 1, kStrobeAddr = 2, kStrobeCs = 3, kStrobeCount = 4 };

// AND and OR masks of the five bus states of a DUT register cycle.
struct ControlMasks {
    std::uint8_t addrIdleOr = 0;
    std::uint8_t addrIdleAnd = 0;
    std::uint8_t addrWrOr = 0;
    std::uint8_t addrWrAnd = 0;
    std::uint8_t dataIdleOr = 0;
    std::uint8_t dataIdleAnd = 0;
    std::uint8_t dataWrOr = 0;
    std::uint8_t dataWrAnd = 0;
    std::uint8_t dataRdOr = 0;
    std::uint8_t dataRdAnd = 0;
};

inline constexpr std::uint16_t kFirstPortBase = 0x378;

struct LibraryState {
    OsHandle lptHandle = kInvalidHandle;
    OsHandle driverHandle = kInvalidHandle;
    std::uint16_t portBase = kFirstPortBase;  // 0 would mean "no port open"
    std::uint8_t dataShadow = 0;
    std::uint8_t controlShadow = 0;
    std::int32_t dataEnableMask = 0x20;  // control bit 5: data lines become inputs
    std::int32_t dataEnable = 1;
    bool traceOn = false;
    CallTrace traceText;
    std::uint8_t busyMask = 0;
    std::uint8_t busyState1 = 0;
    std::uint8_t busyState2 = 0;
    std::uint8_t setToAssert[kStrobeCount] = {};
    std::uint8_t clearToAssert[kStrobeCount] = {};
    std::int32_t busyTimeout = 1000000;
    std::int32_t busyHighestCount = 0;
    OsVersionInfo osVersion;
    ControlMasks controlMasks;
};

// The family is decided by the platform id alone, each time from the record
// filled at load: NT opens the driver, anything else uses port instructions.
inline bool IsNtFamily(const LibraryState& state)
{
    return state.osVersion.dwPlatformId == kPlatformWin32Nt;
}

}  // namespace olvbus

#endif  // OLVBUS_LIBRARY_STATE_H
