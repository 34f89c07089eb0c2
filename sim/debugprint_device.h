// A stand-in for the outside debug-print driver's \Device\VyrDebugPrint: it
// checks the open as that driver's device would see it, takes each record's
// bytes before the write returns, and keeps them for the test to read, one
// record per write and as the byte stream a reader decodes.
#ifndef OLVBUS_SIM_DEBUGPRINT_DEVICE_H
#define OLVBUS_SIM_DEBUGPRINT_DEVICE_H

#include <cstdint>
#include <mutex>
#include <vector>

#include "sys/kernel_services.h"

namespace olvbus::sim {

class DebugPrintDeviceSim final : public olvexpin::DebugPrintDevice {
public:
    static constexpr std::uint32_t kStatusObjectNameNotFound = 0xC0000034u;
    static constexpr std::uint32_t kStatusInvalidParameter = 0xC000000Du;

    using Record = std::vector<std::uint8_t>;

    // Absent devices refuse every open, as when the debug-print driver is
    // not loaded.
    explicit DebugPrintDeviceSim(bool present = true) : present_(present) {}

    std::uint32_t Open(const olvexpin::DeviceOpenParameters& parameters, void** handle) override;
    void Write(void* handle, const void* bytes, std::uint32_t length) override;
    void Close(void* handle) override;

    void SetPresent(bool present);
    // The device appears at the open attempt with this number (1 = the first).
    void PresentFromAttempt(int attempt);

    std::vector<Record> Records() const;
    std::vector<std::uint8_t> Stream() const;
    int OpenAttempts() const;
    int OpenHandles() const;
    bool ParametersRejected() const;

private:
    mutable std::mutex mutex_;
    bool present_;
    int presentFrom_ = 0;
    int attempts_ = 0;
    int handles_ = 0;
    bool rejected_ = false;
    std::vector<Record> records_;
    std::vector<std::uint8_t> stream_;
};

}  // namespace olvbus::sim

#endif  // OLVBUS_SIM_DEBUGPRINT_DEVICE_H
