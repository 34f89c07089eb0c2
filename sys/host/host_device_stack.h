// A simulated device stack for the driver frame: device objects, the
// interface and link namespace, a lower driver that completes what is passed
// down to it, and a log of every platform call in order.
#ifndef OLVEXPIN_HOST_DEVICE_STACK_H
#define OLVEXPIN_HOST_DEVICE_STACK_H

#include <cstdint>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "sys/io_manager.h"

namespace olvexpin {

struct DriverObject {
    bool routinesInstalled = false;
};

struct DeviceObject {
    std::string name;
    uint32_t flags = 0;
    std::unique_ptr<uint64_t[]> extensionStorage;
    bool deleted = false;
    DeviceObject* attachedTo = nullptr;
};

struct Irp {
    RequestParameters parameters{};
    std::vector<uint8_t> systemBuffer;
    CountedText16 fileName{};
    std::vector<uint16_t> fileNameChars;
    int completions = 0;
    uint32_t status = 0;
    uint32_t information = 0;
    bool skipped = false;
    bool passedDown = false;
};

namespace host {

inline constexpr uint32_t kStatusObjectNameCollision = 0xC0000035u;
inline constexpr uint32_t kStatusObjectNameNotFound = 0xC0000034u;

// Requests as the I/O manager would build them.
Irp MakeRequest(uint8_t major, uint8_t minor = 0);
Irp MakeRead(uint32_t length, int64_t position);
Irp MakeWrite(const std::vector<uint8_t>& data, int64_t position);
Irp MakeDeviceControl(uint32_t code, const std::vector<uint8_t>& input, uint32_t outputLength);
Irp MakeCreate(const std::string& fileName);

class HostDeviceStack final : public IoManager {
public:
    HostDeviceStack();

    void InstallDriverRoutines(DriverObject* driver) override;
    uint32_t CreateDevice(DriverObject* driver, uint32_t extensionSize, const char* name, uint32_t deviceType,
                          uint32_t characteristics, bool exclusive, DeviceObject** device) override;
    void* DeviceExtension(DeviceObject* device) override;
    uint32_t RegisterDeviceInterface(DeviceObject* physicalDevice, CountedText16* linkName) override;
    uint32_t SetDeviceInterfaceState(CountedText16* linkName, bool enable) override;
    uint32_t CreateSymbolicLink(const char* link, const char* device) override;
    uint32_t DeleteSymbolicLink(const char* link) override;
    DeviceObject* AttachDeviceToDeviceStack(DeviceObject* device, DeviceObject* physicalDevice) override;
    void DetachDevice(DeviceObject* lowerDevice) override;
    void DeleteDevice(DeviceObject* device) override;
    void SetDeviceFlags(DeviceObject* device, uint32_t set, uint32_t clear) override;
    void FreeUnicodeString(CountedText16* text) override;
    void DescribeRequest(Irp* request, RequestParameters& parameters) override;
    void SkipCurrentStackLocation(Irp* request) override;
    uint32_t CallDriver(DeviceObject* device, Irp* request) override;
    void StartNextPowerIrp(Irp* request) override;
    uint32_t PoCallDriver(DeviceObject* device, Irp* request) override;
    void CompleteRequest(Irp* request, uint32_t status, uint32_t information) override;

    // The physical device object the bus driver made, the one below us.
    DeviceObject* PhysicalDevice() { return &pdo_; }
    DeviceObject* Device(const std::string& name);

    std::vector<std::string> Calls();
    void ClearCalls();
    bool LinkExists(const std::string& link);
    bool InterfaceEnabled();
    int LiveLinkNames();

    // Faults and the lower driver's answers.
    uint32_t registerStatus = 0;
    uint32_t symbolicLinkStatus = 0;
    bool attachFails = false;
    uint32_t lowerDriverStatus = 0;

private:
    void Record(std::string call);

    std::mutex mutex_;
    DeviceObject pdo_;
    std::vector<std::unique_ptr<DeviceObject>> devices_;
    std::set<std::string> links_;
    bool interfaceEnabled_ = false;
    int liveLinkNames_ = 0;
    std::vector<std::string> calls_;
};

}  // namespace host
}  // namespace olvexpin

#endif  // OLVEXPIN_HOST_DEVICE_STACK_H
