// The part of the driver's seam that the driver frame needs: the I/O
// manager's device objects, interfaces, links and device stack, and the
// request fields the frame reads. Each primitive maps onto the routine named
// beside it; the kernel binding fills RequestParameters from the request's
// current stack location.
//
// Compiled into the kernel: freestanding C++ (see sys/kernel.h).
#ifndef OLVEXPIN_IO_MANAGER_H
#define OLVEXPIN_IO_MANAGER_H

#include <stdint.h>

#include "sys/debugprint/request_names.h"
#include "sys/kernel.h"

namespace olvexpin {

// Opaque to the logic: DRIVER_OBJECT, DEVICE_OBJECT, IRP.
struct DriverObject;
struct DeviceObject;
struct Irp;

inline constexpr uint32_t kFileDeviceUnknown = 0x22;
inline constexpr uint32_t kDoBufferedIo = 0x4;
inline constexpr uint32_t kDoDeviceInitializing = 0x80;
inline constexpr uint32_t kDoPowerPagable = 0x2000;

inline constexpr uint32_t kStatusSuccess = 0x00000000u;
inline constexpr uint32_t kStatusNoSuchDevice = 0xC000000Eu;

// What the frame reads from a request's current stack location. Fields that
// do not apply to the request's major function are 0 or null.
struct RequestParameters {
    RequestCodes codes;
    uint32_t length;                  // read and write: Parameters.Read.Length
    int64_t byteOffset;               // read and write: Parameters.Read.ByteOffset
    uint32_t ioControlCode;           // device control
    uint32_t inputLength;
    uint32_t outputLength;
    uint8_t* systemBuffer;            // AssociatedIrp.SystemBuffer (buffered I/O)
    const CountedText16* fileName;    // create: FileObject->FileName
};

class IoManager {
public:
    // DriverExtension->AddDevice, DriverUnload and the eight MajorFunction
    // entries of the driver; every other entry keeps the platform default.
    virtual void InstallDriverRoutines(DriverObject* driver) = 0;
    // IoCreateDevice(driver, extension size, name, type, characteristics,
    // exclusive, out device); the extension comes zeroed.
    virtual uint32_t CreateDevice(DriverObject* driver, uint32_t extensionSize, const char* name,
                                  uint32_t deviceType, uint32_t characteristics, bool exclusive,
                                  DeviceObject** device) = 0;
    virtual void* DeviceExtension(DeviceObject* device) = 0;  // DeviceObject->DeviceExtension
    // IoRegisterDeviceInterface(pdo, OlvexPin's interface class, no
    // reference string, out link name).
    virtual uint32_t RegisterDeviceInterface(DeviceObject* physicalDevice, CountedText16* linkName) = 0;
    virtual uint32_t SetDeviceInterfaceState(CountedText16* linkName, bool enable) = 0;  // IoSetDeviceInterfaceState
    virtual uint32_t CreateSymbolicLink(const char* link, const char* device) = 0;  // IoCreateSymbolicLink
    virtual uint32_t DeleteSymbolicLink(const char* link) = 0;                      // IoDeleteSymbolicLink
    // IoAttachDeviceToDeviceStack: the device now directly below, or null.
    virtual DeviceObject* AttachDeviceToDeviceStack(DeviceObject* device, DeviceObject* physicalDevice) = 0;
    virtual void DetachDevice(DeviceObject* lowerDevice) = 0;  // IoDetachDevice
    virtual void DeleteDevice(DeviceObject* device) = 0;       // IoDeleteDevice
    // DeviceObject->Flags |= set, then &= ~clear.
    virtual void SetDeviceFlags(DeviceObject* device, uint32_t set, uint32_t clear) = 0;
    virtual void FreeUnicodeString(CountedText16* text) = 0;   // RtlFreeUnicodeString

    // IoGetCurrentIrpStackLocation and the fields above.
    virtual void DescribeRequest(Irp* request, RequestParameters& parameters) = 0;
    virtual void SkipCurrentStackLocation(Irp* request) = 0;                // IoSkipCurrentIrpStackLocation
    virtual uint32_t CallDriver(DeviceObject* device, Irp* request) = 0;    // IofCallDriver
    virtual void StartNextPowerIrp(Irp* request) = 0;                       // PoStartNextPowerIrp
    virtual uint32_t PoCallDriver(DeviceObject* device, Irp* request) = 0;  // PoCallDriver
    // IoStatus.Status and .Information, then IofCompleteRequest(request,
    // IO_NO_INCREMENT).
    virtual void CompleteRequest(Irp* request, uint32_t status, uint32_t information) = 0;

protected:
    ~IoManager() = default;
};

}  // namespace olvexpin

#endif  // OLVEXPIN_IO_MANAGER_H
