// OlvexPin's seams bound to the kernel: each method is one call through the
// C boundary (wdm_bridge.h) to the ntoskrnl or HAL routine named beside it.
// The driver-wide objects are constant-initialised: a driver has no runtime
// to run static constructors.
#include "sys/debugprint/debugprint_client.h"
#include "sys/driver_frame.h"
#include "sys/io_manager.h"
#include "sys/kernel.h"
#include "sys/kernel_services.h"
#include "sys/wdm/wdm_bridge.h"

namespace olvexpin::wdm {
namespace {

class HalPorts final : public PortAccess {
public:
    uint8_t ReadByte(uint32_t port) override { return OlvWdmReadPortByte(port); }      // READ_PORT_UCHAR
    uint16_t ReadWord(uint32_t port) override { return OlvWdmReadPortWord(port); }     // READ_PORT_USHORT
    void WriteByte(uint32_t port, uint8_t value) override { OlvWdmWritePortByte(port, value); }   // WRITE_PORT_UCHAR
    void WriteWord(uint32_t port, uint16_t value) override { OlvWdmWritePortWord(port, value); }  // WRITE_PORT_USHORT
};

class KernelSpinLock final : public SpinLock {
public:
    void Initialize() override { OlvWdmInitializeSpinLock(&lock_); }  // KeInitializeSpinLock
    // KfAcquireSpinLock returns the level to go back to; only the holder
    // touches previous_, so it is stored after the lock is taken.
    void Acquire() override { previous_ = OlvWdmAcquireSpinLock(&lock_); }
    void Release() override { OlvWdmReleaseSpinLock(&lock_, previous_); }  // KfReleaseSpinLock

private:
    uintptr_t lock_ = 0;
    uint8_t previous_ = 0;
};

class NonPagedPool final : public Pool {
public:
    void* Allocate(uint32_t size) override { return OlvWdmAllocateNonPaged(size); }  // ExAllocatePoolWithTag
    void Free(void* block) override { OlvWdmFreePool(block); }                        // ExFreePool
};

class SystemClock final : public Clock {
public:
    int64_t QuerySystemTime() override { return OlvWdmQuerySystemTime(); }  // KeQuerySystemTime
    void TimeToTimeFields(int64_t time, TimeFields& fields) override        // RtlTimeToTimeFields
    {
        OlvWdmTimeToTimeFields(time, &fields.year);
    }
};
static_assert(sizeof(TimeFields) == 8 * sizeof(int16_t));

class KernelEvent final : public Event {
public:
    void Initialize() override { OlvWdmInitializeEvent(&event_); }  // KeInitializeEvent
    void Set() override { OlvWdmSetEvent(&event_); }                // KeSetEvent
    void Wait() override { OlvWdmWaitForEvent(&event_); }           // KeWaitForSingleObject
    bool WaitFor(int64_t timeUnits) override { return OlvWdmWaitForEventTimed(&event_, timeUnits) != 0; }

private:
    OlvWdmEventStorage event_ = {};
};

class KernelList final : public InterlockedList {
public:
    void Initialize() override  // InitializeListHead, KeInitializeSpinLock
    {
        OlvWdmInitializeListHead(&head_);
        OlvWdmInitializeSpinLock(&lock_);
    }
    void InsertTail(ListEntry* entry) override { OlvWdmInsertTailList(&head_, entry, &lock_); }  // ExfInterlockedInsertTailList
    ListEntry* RemoveHead() override  // ExfInterlockedRemoveHeadList
    {
        return static_cast<ListEntry*>(OlvWdmRemoveHeadList(&head_, &lock_));
    }

private:
    ListEntry head_ = {nullptr, nullptr};
    uintptr_t lock_ = 0;
};

class KernelThreads final : public SystemThreads {
public:
    bool Create(Routine routine, void* context, void** handle) override  // PsCreateSystemThread
    {
        return IsSuccess(OlvWdmCreateSystemThread(routine, context, handle));
    }
    bool Reference(void* handle, void** object) override  // ObReferenceObjectByHandle
    {
        return IsSuccess(OlvWdmReferenceThread(handle, object));
    }
    void CloseHandle(void* handle) override { OlvWdmCloseHandle(handle); }        // ZwClose
    void Dereference(void* object) override { OlvWdmDereferenceObject(object); }  // ObfDereferenceObject
    void SetCurrentPriority(int32_t priority) override { OlvWdmSetCurrentThreadPriority(priority); }  // KeSetPriorityThread
    void Pause() override { OlvWdmPause(); }                                       // KeDelayExecutionThread
    void TerminateCurrent(uint32_t status) override { OlvWdmTerminateSystemThread(status); }  // PsTerminateSystemThread
};

class OutsideDevice final : public DebugPrintDevice {
public:
    uint32_t Open(const DeviceOpenParameters& p, void** handle) override  // ZwCreateFile
    {
        return OlvWdmOpenFile(p.name, p.desiredAccess, p.objectAttributes, p.fileAttributes,
                              p.shareAccess, p.createDisposition, p.createOptions, handle);
    }
    void Write(void* handle, const void* bytes, uint32_t length) override  // ZwWriteFile
    {
        OlvWdmWriteFile(handle, bytes, length);
    }
    void Close(void* handle) override { OlvWdmCloseHandle(handle); }  // ZwClose
};

class WdmIoManager final : public IoManager {
public:
    void InstallDriverRoutines(DriverObject* driver) override { OlvWdmInstallDriverRoutines(driver); }
    uint32_t CreateDevice(DriverObject* driver, uint32_t extensionSize, const char* name,
                          uint32_t deviceType, uint32_t characteristics, bool exclusive,
                          DeviceObject** device) override  // IoCreateDevice
    {
        void* created = nullptr;
        const uint32_t status = OlvWdmCreateDevice(driver, extensionSize, name, deviceType,
                                                   characteristics, exclusive ? 1 : 0, &created);
        *device = static_cast<DeviceObject*>(created);
        return status;
    }
    void* DeviceExtension(DeviceObject* device) override { return OlvWdmDeviceExtension(device); }
    uint32_t RegisterDeviceInterface(DeviceObject* physicalDevice, CountedText16* linkName) override
    {
        return OlvWdmRegisterDeviceInterface(physicalDevice, linkName);  // IoRegisterDeviceInterface
    }
    uint32_t SetDeviceInterfaceState(CountedText16* linkName, bool enable) override
    {
        return OlvWdmSetDeviceInterfaceState(linkName, enable ? 1 : 0);  // IoSetDeviceInterfaceState
    }
    uint32_t CreateSymbolicLink(const char* link, const char* device) override
    {
        return OlvWdmCreateSymbolicLink(link, device);  // IoCreateSymbolicLink
    }
    uint32_t DeleteSymbolicLink(const char* link) override { return OlvWdmDeleteSymbolicLink(link); }
    DeviceObject* AttachDeviceToDeviceStack(DeviceObject* device, DeviceObject* physicalDevice) override
    {
        return static_cast<DeviceObject*>(OlvWdmAttachDeviceToDeviceStack(device, physicalDevice));
    }
    void DetachDevice(DeviceObject* lowerDevice) override { OlvWdmDetachDevice(lowerDevice); }
    void DeleteDevice(DeviceObject* device) override { OlvWdmDeleteDevice(device); }
    void SetDeviceFlags(DeviceObject* device, uint32_t set, uint32_t clear) override
    {
        OlvWdmSetDeviceFlags(device, set, clear);
    }
    void FreeUnicodeString(CountedText16* text) override { OlvWdmFreeUnicodeString(text); }

    void DescribeRequest(Irp* request, RequestParameters& parameters) override
    {
        OlvWdmRequest described;
        OlvWdmDescribeRequest(request, &described);
        parameters.codes.majorFunction = described.majorFunction;
        parameters.codes.minorFunction = described.minorFunction;
        parameters.codes.powerType = described.powerType;
        parameters.codes.powerState = described.powerState;
        parameters.codes.relationType = described.relationType;
        parameters.length = described.length;
        parameters.byteOffset = described.byteOffset;
        parameters.ioControlCode = described.ioControlCode;
        parameters.inputLength = described.inputLength;
        parameters.outputLength = described.outputLength;
        parameters.systemBuffer = described.systemBuffer;
        parameters.fileName = static_cast<const CountedText16*>(described.fileName);
    }
    void SkipCurrentStackLocation(Irp* request) override { OlvWdmSkipCurrentStackLocation(request); }
    uint32_t CallDriver(DeviceObject* device, Irp* request) override { return OlvWdmCallDriver(device, request); }
    void StartNextPowerIrp(Irp* request) override { OlvWdmStartNextPowerIrp(request); }
    uint32_t PoCallDriver(DeviceObject* device, Irp* request) override { return OlvWdmPoCallDriver(device, request); }
    void CompleteRequest(Irp* request, uint32_t status, uint32_t information) override
    {
        OlvWdmCompleteRequest(request, status, information);  // IofCompleteRequest(IO_NO_INCREMENT)
    }
};

constinit HalPorts ports;
constinit KernelSpinLock deviceLock;
constinit NonPagedPool pool;
constinit SystemClock systemClock;
constinit KernelEvent wakeEvent;
constinit KernelEvent writerExitedEvent;
constinit KernelList pendingMessages;
constinit KernelThreads threads;
constinit OutsideDevice debugPrintDevice;
constinit WdmIoManager io;

constinit DebugPrintClient client{DebugPrintServices{&systemClock, &pool, &threads, &debugPrintDevice,
                                                     &wakeEvent, &writerExitedEvent, &pendingMessages}};
constinit DriverContext context{&ports, &deviceLock, &pool, nullptr, {}};
constinit DriverFrame frame{&context, &io, &client};

DriverObject* AsDriver(void* object) { return static_cast<DriverObject*>(object); }
DeviceObject* AsDevice(void* object) { return static_cast<DeviceObject*>(object); }
Irp* AsIrp(void* object) { return static_cast<Irp*>(object); }

}  // namespace
}  // namespace olvexpin::wdm

using olvexpin::wdm::AsDevice;
using olvexpin::wdm::AsDriver;
using olvexpin::wdm::AsIrp;
using olvexpin::wdm::frame;

extern "C" {

uint32_t OlvexPinCoreDriverEntry(void* driver, const void* registryPath)
{
    return olvexpin::DriverEntry(frame, AsDriver(driver),
                                 static_cast<const olvexpin::CountedText16*>(registryPath));
}

uint32_t OlvexPinCoreAddDevice(void* driver, void* physicalDevice)
{
    return olvexpin::OlvexPinXAAddDevice(frame, AsDriver(driver), AsDevice(physicalDevice));
}

void OlvexPinCoreUnload(void* driver) { olvexpin::OlvexPinXAUnload(frame, AsDriver(driver)); }

uint32_t OlvexPinCoreCreate(void* device, void* request)
{
    return olvexpin::OlvexPinXACreate(frame, AsDevice(device), AsIrp(request));
}

uint32_t OlvexPinCoreClose(void* device, void* request)
{
    return olvexpin::OlvexPinXAClose(frame, AsDevice(device), AsIrp(request));
}

uint32_t OlvexPinCoreRead(void* device, void* request)
{
    return olvexpin::OlvexPinXARead(frame, AsDevice(device), AsIrp(request));
}

uint32_t OlvexPinCoreWrite(void* device, void* request)
{
    return olvexpin::OlvexPinXAWrite(frame, AsDevice(device), AsIrp(request));
}

uint32_t OlvexPinCoreDeviceControl(void* device, void* request)
{
    return olvexpin::OlvexPinXADeviceControl(frame, AsDevice(device), AsIrp(request));
}

uint32_t OlvexPinCorePower(void* device, void* request)
{
    return olvexpin::OlvexPinXAPower(frame, AsDevice(device), AsIrp(request));
}

uint32_t OlvexPinCoreSystemControl(void* device, void* request)
{
    return olvexpin::OlvexPinXASystemControl(frame, AsDevice(device), AsIrp(request));
}

uint32_t OlvexPinCorePnp(void* device, void* request)
{
    return olvexpin::OlvexPinXAPnp(frame, AsDevice(device), AsIrp(request));
}

// The seams are abstract classes; their vtables name this routine for the
// pure slots. Every binding overrides every slot, so it is never reached.
void __cxa_pure_virtual() { __builtin_trap(); }

}  // extern "C"
