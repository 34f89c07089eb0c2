#include "sys/driver_frame.h"

#include "common/olvexpin_contract.h"
#include "sys/device_control.h"
#include "sys/memory_buffer.h"

namespace olvexpin {
namespace {

DeviceExtension& ExtensionOf(DriverFrame& frame, DeviceObject* device)
{
    return *static_cast<DeviceExtension*>(frame.io->DeviceExtension(device));
}

RequestParameters Describe(DriverFrame& frame, Irp* request)
{
    RequestParameters parameters{};
    frame.io->DescribeRequest(request, parameters);
    return parameters;
}

}  // namespace

uint32_t CompleteRequest(IoManager& io, Irp* request, uint32_t status, uint32_t count)
{
    io.CompleteRequest(request, status, count);
    return status;
}

uint32_t DriverEntry(DriverFrame& frame, DriverObject* driver, const CountedText16* registryPath)
{
    frame.context->log = frame.client;
    DebugPrintStart(*frame.client, kDebugPrintSourceName);
    frame.context->log->Format("RegistryPath is %T", registryPath);
    frame.io->InstallDriverRoutines(driver);
    frame.context->deviceLock->Initialize();
    frame.context->log->Text("DriverEntry completed");
    return kStatusSuccess;
}

uint32_t OlvexPinXAAddDevice(DriverFrame& frame, DriverObject* driver, DeviceObject* physicalDevice)
{
    DebugPrint& log = *frame.context->log;
    IoManager& io = *frame.io;
    log.Format("AddDevice");

    DeviceObject* device = nullptr;
    uint32_t status = io.CreateDevice(driver, sizeof(DeviceExtension), OLVEXPIN_KERNEL_DEVICE_NAME,
                                      kFileDeviceUnknown, 0, false, &device);
    if (!IsSuccess(status)) {
        return status;
    }
    DeviceExtension& extension = ExtensionOf(frame, device);
    extension.fdo = device;
    // The address is all a reader needs to match this device in later
    // messages; its low 32 bits identify it well enough.
    log.Format("FDO is %x", static_cast<uint32_t>(reinterpret_cast<uintptr_t>(device)));

    status = io.RegisterDeviceInterface(physicalDevice, &extension.interfaceLinkName);
    if (!IsSuccess(status)) {
        io.DeleteDevice(device);
        return status;
    }
    // Neither result is checked: the device works without the interface or
    // the link, it only cannot be found by that name.
    io.SetDeviceInterfaceState(&extension.interfaceLinkName, true);
    log.Format("Symbolic Link Name is %T", &extension.interfaceLinkName);
    io.CreateSymbolicLink(OLVEXPIN_KERNEL_LINK_NAME, OLVEXPIN_KERNEL_DEVICE_NAME);

    extension.lowerDevice = io.AttachDeviceToDeviceStack(device, physicalDevice);
    if (extension.lowerDevice == nullptr) {
        // Every request passed down would have no target: undo in reverse.
        log.Text("AddDevice: could not attach to the device stack");
        io.DeleteSymbolicLink(OLVEXPIN_KERNEL_LINK_NAME);
        io.SetDeviceInterfaceState(&extension.interfaceLinkName, false);
        io.FreeUnicodeString(&extension.interfaceLinkName);
        io.DeleteDevice(device);
        return kStatusNoSuchDevice;
    }

    io.SetDeviceFlags(device, kDoBufferedIo | kDoPowerPagable, 0);
    // Last: until this flag is clear the I/O manager sends the device nothing.
    io.SetDeviceFlags(device, 0, kDoDeviceInitializing);
    return kStatusSuccess;
}

void OlvexPinXAUnload(DriverFrame& frame, DriverObject*)
{
    DriverContext& context = *frame.context;
    if (context.memory.data != nullptr) {
        FreeMemoryBuffer(context.memory, *context.pool);
    }
    context.log->Text("OlvexPinXAUnload");
    DebugPrintStop(*frame.client);
}

uint32_t OlvexPinXAPnp(DriverFrame& frame, DeviceObject* device, Irp* request)
{
    IoManager& io = *frame.io;
    DebugPrint& log = *frame.context->log;
    const RequestParameters parameters = Describe(frame, request);
    log.Format("PnP %I", &parameters.codes);

    DeviceExtension& extension = ExtensionOf(frame, device);
    io.SkipCurrentStackLocation(request);
    uint32_t status = io.CallDriver(extension.lowerDevice, request);

    // Removal is cleaned up after the lower drivers have handled it.
    if (parameters.codes.minorFunction == kIrpMnRemoveDevice) {
        log.Format("PnP RemoveDevice");
        io.SetDeviceInterfaceState(&extension.interfaceLinkName, false);
        io.FreeUnicodeString(&extension.interfaceLinkName);
        if (extension.lowerDevice != nullptr) {
            io.DetachDevice(extension.lowerDevice);
        }
        status = io.DeleteSymbolicLink(OLVEXPIN_KERNEL_LINK_NAME);
        io.DeleteDevice(extension.fdo);
    }
    return status;
}

uint32_t OlvexPinXAPower(DriverFrame& frame, DeviceObject* device, Irp* request)
{
    IoManager& io = *frame.io;
    const RequestParameters parameters = Describe(frame, request);
    frame.context->log->Format("Power %I", &parameters.codes);
    io.StartNextPowerIrp(request);
    io.SkipCurrentStackLocation(request);
    return io.PoCallDriver(ExtensionOf(frame, device).lowerDevice, request);
}

uint32_t OlvexPinXASystemControl(DriverFrame& frame, DeviceObject* device, Irp* request)
{
    IoManager& io = *frame.io;
    frame.context->log->Text("SystemControl");
    io.SkipCurrentStackLocation(request);
    return io.CallDriver(ExtensionOf(frame, device).lowerDevice, request);
}

uint32_t OlvexPinXACreate(DriverFrame& frame, DeviceObject*, Irp* request)
{
    const RequestParameters parameters = Describe(frame, request);
    const CountedText16 noName{0, 0, nullptr};
    frame.context->log->Format("Create File is %T",
                               parameters.fileName != nullptr ? parameters.fileName : &noName);
    return CompleteRequest(*frame.io, request, kStatusSuccess, 0);
}

uint32_t OlvexPinXAClose(DriverFrame& frame, DeviceObject*, Irp* request)
{
    frame.context->log->Text("Close");
    return CompleteRequest(*frame.io, request, kStatusSuccess, 0);
}

uint32_t OlvexPinXARead(DriverFrame& frame, DeviceObject*, Irp* request)
{
    DriverContext& context = *frame.context;
    const RequestParameters parameters = Describe(frame, request);
    context.log->Format("Read %d bytes from file pointer %d", parameters.length,
                        static_cast<uint32_t>(parameters.byteOffset));

    context.deviceLock->Acquire();
    const TransferResult result =
        ReadMemoryBuffer(context.memory, parameters.byteOffset, parameters.length, parameters.systemBuffer);
    context.deviceLock->Release();

    context.log->Format("Read: %d bytes returned", result.count);
    return CompleteRequest(*frame.io, request, result.status, result.count);
}

uint32_t OlvexPinXAWrite(DriverFrame& frame, DeviceObject*, Irp* request)
{
    DriverContext& context = *frame.context;
    const RequestParameters parameters = Describe(frame, request);
    const uint32_t position = static_cast<uint32_t>(parameters.byteOffset);
    context.log->Format("Write %d bytes from file pointer %d", parameters.length, position);

    TransferResult result{OLVEXPIN_STATUS_INVALID_PARAMETER, 0};
    if (parameters.byteOffset >= 0) {
        context.deviceLock->Acquire();
        result = WriteMemoryBuffer(context.memory, *context.pool, position, parameters.length,
                                   parameters.systemBuffer);
        context.deviceLock->Release();
    }

    context.log->Format("Write: %d bytes written", result.count);
    return CompleteRequest(*frame.io, request, result.status, result.count);
}

uint32_t OlvexPinXADeviceControl(DriverFrame& frame, DeviceObject*, Irp* request)
{
    const RequestParameters parameters = Describe(frame, request);
    const DeviceControlResult result =
        OlvexPinXADeviceControlCore(*frame.context, parameters.ioControlCode, parameters.inputLength,
                                    parameters.outputLength, parameters.systemBuffer);
    return CompleteRequest(*frame.io, request, result.status, result.count);
}

}  // namespace olvexpin
