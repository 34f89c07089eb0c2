/*
 * The boundary between OlvexPin's kernel binding and its C++ core.
 *
 * mingw's DDK headers compile only as C, so the routines the kernel calls and
 * the kernel routines the core needs live in C files (olvexpin_wdm.c and the
 * port files); the core reaches them, and they reach the core, through the
 * plain functions declared here. No DDK type crosses: objects are opaque
 * pointers, storage the core owns is sized here and checked in the C file.
 */
#ifndef OLVEXPIN_WDM_BRIDGE_H
#define OLVEXPIN_WDM_BRIDGE_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* Room for a KEVENT (16 bytes on i686, 24 on x86_64), pointer-aligned. */
#define OLV_WDM_EVENT_STORAGE 32

typedef struct OlvWdmEventStorage {
    uintptr_t words[OLV_WDM_EVENT_STORAGE / sizeof(uintptr_t)];
} OlvWdmEventStorage;

/* A request's current stack location, as the frame reads it. */
typedef struct OlvWdmRequest {
    uint8_t majorFunction;
    uint8_t minorFunction;
    uint32_t powerType;
    uint32_t powerState;
    uint32_t relationType;
    uint32_t length;
    int64_t byteOffset;
    uint32_t ioControlCode;
    uint32_t inputLength;
    uint32_t outputLength;
    uint8_t* systemBuffer;
    const void* fileName; /* UNICODE_STRING*, or null */
} OlvWdmRequest;

/* ---- kernel routines for the core (olvexpin_wdm.c) ---- */

void* OlvWdmAllocateNonPaged(uint32_t size); /* ExAllocatePoolWithTag(NonPagedPool, size, "Wdm ") */
void OlvWdmFreePool(void* block);            /* ExFreePool */

void OlvWdmInitializeSpinLock(uintptr_t* lock);
uint8_t OlvWdmAcquireSpinLock(uintptr_t* lock); /* returns the previous IRQL */
void OlvWdmReleaseSpinLock(uintptr_t* lock, uint8_t previousIrql);

int64_t OlvWdmQuerySystemTime(void);
void OlvWdmTimeToTimeFields(int64_t time, int16_t fields[8]);

void OlvWdmInitializeEvent(OlvWdmEventStorage* event);
void OlvWdmSetEvent(OlvWdmEventStorage* event);
void OlvWdmWaitForEvent(OlvWdmEventStorage* event);
int OlvWdmWaitForEventTimed(OlvWdmEventStorage* event, int64_t timeUnits); /* 0: timed out */

/* The list head has LIST_ENTRY's layout: forward, then backward pointer. */
void OlvWdmInitializeListHead(void* head);
void OlvWdmInsertTailList(void* head, void* entry, uintptr_t* lock);
void* OlvWdmRemoveHeadList(void* head, uintptr_t* lock);

typedef void (*OlvWdmThreadRoutine)(void* context);
uint32_t OlvWdmCreateSystemThread(OlvWdmThreadRoutine routine, void* context, void** handle);
uint32_t OlvWdmReferenceThread(void* handle, void** object);
void OlvWdmCloseHandle(void* handle);
void OlvWdmDereferenceObject(void* object);
void OlvWdmSetCurrentThreadPriority(int32_t priority);
void OlvWdmPause(void);
void OlvWdmTerminateSystemThread(uint32_t status);

uint32_t OlvWdmOpenFile(const char* name, uint32_t desiredAccess, uint32_t objectAttributes,
                        uint32_t fileAttributes, uint32_t shareAccess, uint32_t createDisposition,
                        uint32_t createOptions, void** handle);
void OlvWdmWriteFile(void* handle, const void* bytes, uint32_t length);

void OlvWdmInstallDriverRoutines(void* driver);
uint32_t OlvWdmCreateDevice(void* driver, uint32_t extensionSize, const char* name,
                            uint32_t deviceType, uint32_t characteristics, int exclusive,
                            void** device);
void* OlvWdmDeviceExtension(void* device);
uint32_t OlvWdmRegisterDeviceInterface(void* physicalDevice, void* linkName);
uint32_t OlvWdmSetDeviceInterfaceState(void* linkName, int enable);
uint32_t OlvWdmCreateSymbolicLink(const char* link, const char* device);
uint32_t OlvWdmDeleteSymbolicLink(const char* link);
void* OlvWdmAttachDeviceToDeviceStack(void* device, void* physicalDevice);
void OlvWdmDetachDevice(void* lowerDevice);
void OlvWdmDeleteDevice(void* device);
void OlvWdmSetDeviceFlags(void* device, uint32_t set, uint32_t clear);
void OlvWdmFreeUnicodeString(void* text);
void OlvWdmDescribeRequest(void* request, OlvWdmRequest* parameters);
void OlvWdmSkipCurrentStackLocation(void* request);
uint32_t OlvWdmCallDriver(void* device, void* request);
void OlvWdmStartNextPowerIrp(void* request);
uint32_t OlvWdmPoCallDriver(void* device, void* request);
void OlvWdmCompleteRequest(void* request, uint32_t status, uint32_t information);

/* ---- the port binding (port_hal.c, or the simulated port space of the
 * Wine test build) ---- */

uint8_t OlvWdmReadPortByte(uint32_t port);
uint16_t OlvWdmReadPortWord(uint32_t port);
void OlvWdmWritePortByte(uint32_t port, uint8_t value);
void OlvWdmWritePortWord(uint32_t port, uint16_t value);

/* ---- the core, called by the kernel routines (wdm_core.cpp) ---- */

uint32_t OlvexPinCoreDriverEntry(void* driver, const void* registryPath);
uint32_t OlvexPinCoreAddDevice(void* driver, void* physicalDevice);
void OlvexPinCoreUnload(void* driver);
uint32_t OlvexPinCoreCreate(void* device, void* request);
uint32_t OlvexPinCoreClose(void* device, void* request);
uint32_t OlvexPinCoreRead(void* device, void* request);
uint32_t OlvexPinCoreWrite(void* device, void* request);
uint32_t OlvexPinCoreDeviceControl(void* device, void* request);
uint32_t OlvexPinCorePower(void* device, void* request);
uint32_t OlvexPinCoreSystemControl(void* device, void* request);
uint32_t OlvexPinCorePnp(void* device, void* request);

#ifdef __cplusplus
}
#endif

#endif /* OLVEXPIN_WDM_BRIDGE_H */
