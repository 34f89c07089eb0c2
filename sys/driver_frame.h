// OlvexPin's frame: entry and unload, the add-device routine, and the
// dispatch routines for Plug and Play, power, system control, create, close,
// read, write and device control. Written against the I/O manager seam; the
// kernel binding's DriverEntry and dispatch trampolines call these with the
// driver's one DriverFrame.
//
//   entry                      routine                       action
//   add-device                 OlvexPinXAAddDevice           device, interface, link; attach
//   unload                     OlvexPinXAUnload              free the memory buffer; stop logging
//   IRP_MJ_CREATE (0)          OlvexPinXACreate              log the file name; succeed
//   IRP_MJ_CLOSE (2)           OlvexPinXAClose               log; succeed
//   IRP_MJ_READ (3)            OlvexPinXARead                copy from the memory buffer
//   IRP_MJ_WRITE (4)           OlvexPinXAWrite               copy into the memory buffer, growing it
//   IRP_MJ_DEVICE_CONTROL (14) OlvexPinXADeviceControl       the port requests
//   IRP_MJ_POWER (22)          OlvexPinXAPower               pass down through the power manager
//   IRP_MJ_SYSTEM_CONTROL (23) OlvexPinXASystemControl       pass down
//   IRP_MJ_PNP (27)            OlvexPinXAPnp                 pass down; clean up after removal
#ifndef OLVEXPIN_DRIVER_FRAME_H
#define OLVEXPIN_DRIVER_FRAME_H

#include <stdint.h>

#include "sys/debugprint/debugprint_client.h"
#include "sys/driver_state.h"
#include "sys/io_manager.h"

namespace olvexpin {

inline constexpr const char* kDebugPrintSourceName = "OlvexPinXA checked";

// The per-device record the I/O manager allocates with the device object.
struct DeviceExtension {
    DeviceObject* fdo;
    DeviceObject* lowerDevice;
    CountedText16 interfaceLinkName;  // owned from registration until removal
};

// Everything driver-wide. context.log is pointed at client by DriverEntry.
struct DriverFrame {
    DriverContext* context;
    IoManager* io;
    DebugPrintClient* client;
};

uint32_t DriverEntry(DriverFrame& frame, DriverObject* driver, const CountedText16* registryPath);
uint32_t OlvexPinXAAddDevice(DriverFrame& frame, DriverObject* driver, DeviceObject* physicalDevice);
void OlvexPinXAUnload(DriverFrame& frame, DriverObject* driver);

uint32_t OlvexPinXACreate(DriverFrame& frame, DeviceObject* device, Irp* request);
uint32_t OlvexPinXAClose(DriverFrame& frame, DeviceObject* device, Irp* request);
uint32_t OlvexPinXARead(DriverFrame& frame, DeviceObject* device, Irp* request);
uint32_t OlvexPinXAWrite(DriverFrame& frame, DeviceObject* device, Irp* request);
uint32_t OlvexPinXADeviceControl(DriverFrame& frame, DeviceObject* device, Irp* request);
uint32_t OlvexPinXAPower(DriverFrame& frame, DeviceObject* device, Irp* request);
uint32_t OlvexPinXASystemControl(DriverFrame& frame, DeviceObject* device, Irp* request);
uint32_t OlvexPinXAPnp(DriverFrame& frame, DeviceObject* device, Irp* request);

// Stores status and count in the request, completes it without a priority
// boost, and returns status.
uint32_t CompleteRequest(IoManager& io, Irp* request, uint32_t status, uint32_t count);

}  // namespace olvexpin

#endif  // OLVEXPIN_DRIVER_FRAME_H
