/*
 * OlvexPin's WDM binding: the routines the kernel calls (DriverEntry, the
 * add-device, unload and dispatch routines), each a trampoline into the C++
 * core, and the kernel routines the core calls, each mapped one-to-one onto
 * the ntoskrnl or HAL routine of the same meaning.
 *
 * Placement: DriverEntry runs once and lies in INIT, which the kernel may
 * discard after initialisation. Add-device, unload, PnP and power run only at
 * passive level (power because the device sets DO_POWER_PAGABLE) and lie in
 * PAGE. Create, close, read, write, device control and system control, and
 * every kernel routine below, can run with a spin lock held and stay
 * resident.
 */
#include <ntddk.h>

#include "common/olvexpin_contract.h"
#include "sys/wdm/wdm_bridge.h"

#define OLVEXPIN_INIT __attribute__((section("INIT")))
#define OLVEXPIN_PAGE __attribute__((section("PAGE")))

/* "Wdm " as the pool shows it: the bytes W, d, m, space. */
#define OLVEXPIN_POOL_TAG 0x206D6457u

_Static_assert(sizeof(KEVENT) <= sizeof(OlvWdmEventStorage), "KEVENT does not fit its storage");
_Static_assert(sizeof(KSPIN_LOCK) == sizeof(uintptr_t), "KSPIN_LOCK is not pointer-sized");
_Static_assert(sizeof(TIME_FIELDS) == 8 * sizeof(int16_t), "TIME_FIELDS is not eight CSHORTs");

#if defined(_M_AMD64) || defined(__x86_64__)
/* mingw's x86_64 header reads the current thread inline from a per-processor
 * area; the exported routine gives the same answer and also works where the
 * driver is hosted outside the kernel. */
NTKERNELAPI PKTHREAD NTAPI OlvKeGetCurrentThread(VOID) __asm__("KeGetCurrentThread");
#else
#define OlvKeGetCurrentThread KeGetCurrentThread
#endif

static const GUID kOlvexPinInterface = {
    OLVEXPIN_INTERFACE_GUID_DATA1, OLVEXPIN_INTERFACE_GUID_DATA2, OLVEXPIN_INTERFACE_GUID_DATA3,
    OLVEXPIN_INTERFACE_GUID_DATA4};

/* The core names its objects in 8-bit text; the kernel wants counted UTF-16.
 * The names are short and ASCII. */
#define OLVEXPIN_NAME_CHARS 64

typedef struct WideName {
    WCHAR characters[OLVEXPIN_NAME_CHARS];
    UNICODE_STRING counted;
} WideName;

static void WidenName(WideName* wide, const char* name)
{
    USHORT length = 0;
    while (name[length] != '\0' && length < OLVEXPIN_NAME_CHARS - 1) {
        wide->characters[length] = (WCHAR)(unsigned char)name[length];
        ++length;
    }
    wide->characters[length] = L'\0';
    RtlInitUnicodeString(&wide->counted, wide->characters);
}

/* ---- routines the kernel calls ---- */

static DRIVER_ADD_DEVICE OlvexPinXAAddDevice;
static DRIVER_UNLOAD OlvexPinXAUnload;
static DRIVER_DISPATCH OlvexPinXACreate;
static DRIVER_DISPATCH OlvexPinXAClose;
static DRIVER_DISPATCH OlvexPinXARead;
static DRIVER_DISPATCH OlvexPinXAWrite;
static DRIVER_DISPATCH OlvexPinXADeviceControl;
static DRIVER_DISPATCH OlvexPinXAPower;
static DRIVER_DISPATCH OlvexPinXASystemControl;
static DRIVER_DISPATCH OlvexPinXAPnp;
NTSTATUS NTAPI DriverEntry(PDRIVER_OBJECT driver, PUNICODE_STRING registryPath);

OLVEXPIN_INIT NTSTATUS NTAPI DriverEntry(PDRIVER_OBJECT driver, PUNICODE_STRING registryPath)
{
    return (NTSTATUS)OlvexPinCoreDriverEntry(driver, registryPath);
}

OLVEXPIN_PAGE static NTSTATUS NTAPI OlvexPinXAAddDevice(PDRIVER_OBJECT driver, PDEVICE_OBJECT physicalDevice)
{
    return (NTSTATUS)OlvexPinCoreAddDevice(driver, physicalDevice);
}

OLVEXPIN_PAGE static VOID NTAPI OlvexPinXAUnload(PDRIVER_OBJECT driver)
{
    OlvexPinCoreUnload(driver);
}

OLVEXPIN_PAGE static NTSTATUS NTAPI OlvexPinXAPnp(PDEVICE_OBJECT device, PIRP request)
{
    return (NTSTATUS)OlvexPinCorePnp(device, request);
}

OLVEXPIN_PAGE static NTSTATUS NTAPI OlvexPinXAPower(PDEVICE_OBJECT device, PIRP request)
{
    return (NTSTATUS)OlvexPinCorePower(device, request);
}

static NTSTATUS NTAPI OlvexPinXACreate(PDEVICE_OBJECT device, PIRP request)
{
    return (NTSTATUS)OlvexPinCoreCreate(device, request);
}

static NTSTATUS NTAPI OlvexPinXAClose(PDEVICE_OBJECT device, PIRP request)
{
    return (NTSTATUS)OlvexPinCoreClose(device, request);
}

static NTSTATUS NTAPI OlvexPinXARead(PDEVICE_OBJECT device, PIRP request)
{
    return (NTSTATUS)OlvexPinCoreRead(device, request);
}

static NTSTATUS NTAPI OlvexPinXAWrite(PDEVICE_OBJECT device, PIRP request)
{
    return (NTSTATUS)OlvexPinCoreWrite(device, request);
}

static NTSTATUS NTAPI OlvexPinXADeviceControl(PDEVICE_OBJECT device, PIRP request)
{
    return (NTSTATUS)OlvexPinCoreDeviceControl(device, request);
}

static NTSTATUS NTAPI OlvexPinXASystemControl(PDEVICE_OBJECT device, PIRP request)
{
    return (NTSTATUS)OlvexPinCoreSystemControl(device, request);
}

/* ---- pool, locks, time, events, lists ---- */

void* OlvWdmAllocateNonPaged(uint32_t size)
{
    return ExAllocatePoolWithTag(NonPagedPool, size, OLVEXPIN_POOL_TAG);
}

void OlvWdmFreePool(void* block)
{
    ExFreePool(block);
}

void OlvWdmInitializeSpinLock(uintptr_t* lock)
{
    KeInitializeSpinLock((PKSPIN_LOCK)lock);
}

uint8_t OlvWdmAcquireSpinLock(uintptr_t* lock)
{
    KIRQL previous;
    KeAcquireSpinLock((PKSPIN_LOCK)lock, &previous);
    return previous;
}

void OlvWdmReleaseSpinLock(uintptr_t* lock, uint8_t previousIrql)
{
    KeReleaseSpinLock((PKSPIN_LOCK)lock, previousIrql);
}

void OlvWdmTimeToTimeFields(int64_t time, int16_t fields[8])
{
    LARGE_INTEGER value;
    value.QuadPart = time;
    RtlTimeToTimeFields(&value, (PTIME_FIELDS)fields);
}

void OlvWdmInitializeEvent(OlvWdmEventStorage* event)
{
    KeInitializeEvent((PKEVENT)event, SynchronizationEvent, FALSE);
}

void OlvWdmSetEvent(OlvWdmEventStorage* event)
{
    KeSetEvent((PKEVENT)event, IO_NO_INCREMENT, FALSE);
}

void OlvWdmWaitForEvent(OlvWdmEventStorage* event)
{
    KeWaitForSingleObject(event, Executive, KernelMode, FALSE, NULL);
}

int OlvWdmWaitForEventTimed(OlvWdmEventStorage* event, int64_t timeUnits)
{
    LARGE_INTEGER timeout;
    timeout.QuadPart = -timeUnits; /* negative: relative to now */
    return KeWaitForSingleObject(event, Executive, KernelMode, FALSE, &timeout) != STATUS_TIMEOUT;
}

void OlvWdmInitializeListHead(void* head)
{
    InitializeListHead((PLIST_ENTRY)head);
}

/* The time stamp and the list operations under a spin lock, which the
 * debug-print queue uses for every message, are in queue_routines.c, so that
 * a build for another host can bind them differently. */

/* ---- the system thread ---- */

/* The kernel starts a system thread with the platform's calling convention;
 * the core's routine is a plain C function. The client creates one writer
 * thread at a time, so one slot carries routine and context across. */
static OlvWdmThreadRoutine threadRoutine;
static void* threadContext;

static VOID NTAPI SystemThreadStart(PVOID unused)
{
    (void)unused;
    threadRoutine(threadContext);
}

uint32_t OlvWdmCreateSystemThread(OlvWdmThreadRoutine routine, void* context, void** handle)
{
    threadRoutine = routine;
    threadContext = context;
    return (uint32_t)PsCreateSystemThread((PHANDLE)handle, THREAD_ALL_ACCESS, NULL, NULL, NULL,
                                          SystemThreadStart, NULL);
}

uint32_t OlvWdmReferenceThread(void* handle, void** object)
{
    return (uint32_t)ObReferenceObjectByHandle((HANDLE)handle, THREAD_ALL_ACCESS, NULL, KernelMode,
                                               object, NULL);
}

void OlvWdmCloseHandle(void* handle)
{
    ZwClose((HANDLE)handle);
}

void OlvWdmDereferenceObject(void* object)
{
    ObDereferenceObject(object);
}

void OlvWdmSetCurrentThreadPriority(int32_t priority)
{
    KeSetPriorityThread(OlvKeGetCurrentThread(), priority);
}

void OlvWdmPause(void)
{
    LARGE_INTEGER moment;
    moment.QuadPart = -10000; /* 1 ms */
    KeDelayExecutionThread(KernelMode, FALSE, &moment);
}

void OlvWdmTerminateSystemThread(uint32_t status)
{
    PsTerminateSystemThread((NTSTATUS)status);
}

/* ---- the outside debug-print device ---- */

uint32_t OlvWdmOpenFile(const char* name, uint32_t desiredAccess, uint32_t objectAttributes,
                        uint32_t fileAttributes, uint32_t shareAccess, uint32_t createDisposition,
                        uint32_t createOptions, void** handle)
{
    WideName wide;
    OBJECT_ATTRIBUTES attributes;
    IO_STATUS_BLOCK ioStatus;
    WidenName(&wide, name);
    InitializeObjectAttributes(&attributes, &wide.counted, objectAttributes, NULL, NULL);
    return (uint32_t)ZwCreateFile((PHANDLE)handle, desiredAccess, &attributes, &ioStatus,
                                  NULL,           /* no allocation size */
                                  fileAttributes, shareAccess, createDisposition, createOptions,
                                  NULL, 0);       /* no extended attributes */
}

void OlvWdmWriteFile(void* handle, const void* bytes, uint32_t length)
{
    IO_STATUS_BLOCK ioStatus;
    LARGE_INTEGER offset;
    offset.QuadPart = 0;
    ZwWriteFile((HANDLE)handle,
                NULL, NULL, NULL,   /* no event, no completion routine or context */
                &ioStatus, (PVOID)bytes, length, &offset,
                NULL);              /* no key */
}

/* ---- the I/O manager ---- */

void OlvWdmInstallDriverRoutines(void* driverObject)
{
    PDRIVER_OBJECT driver = (PDRIVER_OBJECT)driverObject;
    driver->DriverExtension->AddDevice = OlvexPinXAAddDevice;
    driver->DriverUnload = OlvexPinXAUnload;
    driver->MajorFunction[IRP_MJ_CREATE] = OlvexPinXACreate;
    driver->MajorFunction[IRP_MJ_CLOSE] = OlvexPinXAClose;
    driver->MajorFunction[IRP_MJ_READ] = OlvexPinXARead;
    driver->MajorFunction[IRP_MJ_WRITE] = OlvexPinXAWrite;
    driver->MajorFunction[IRP_MJ_DEVICE_CONTROL] = OlvexPinXADeviceControl;
    driver->MajorFunction[IRP_MJ_POWER] = OlvexPinXAPower;
    driver->MajorFunction[IRP_MJ_SYSTEM_CONTROL] = OlvexPinXASystemControl;
    driver->MajorFunction[IRP_MJ_PNP] = OlvexPinXAPnp;
}

uint32_t OlvWdmCreateDevice(void* driver, uint32_t extensionSize, const char* name,
                            uint32_t deviceType, uint32_t characteristics, int exclusive,
                            void** device)
{
    WideName wide;
    WidenName(&wide, name);
    return (uint32_t)IoCreateDevice((PDRIVER_OBJECT)driver, extensionSize, &wide.counted, deviceType,
                                    characteristics, exclusive ? TRUE : FALSE,
                                    (PDEVICE_OBJECT*)device);
}

void* OlvWdmDeviceExtension(void* device)
{
    return ((PDEVICE_OBJECT)device)->DeviceExtension;
}

uint32_t OlvWdmRegisterDeviceInterface(void* physicalDevice, void* linkName)
{
    return (uint32_t)IoRegisterDeviceInterface((PDEVICE_OBJECT)physicalDevice, &kOlvexPinInterface,
                                               NULL, (PUNICODE_STRING)linkName);
}

uint32_t OlvWdmSetDeviceInterfaceState(void* linkName, int enable)
{
    return (uint32_t)IoSetDeviceInterfaceState((PUNICODE_STRING)linkName, enable ? TRUE : FALSE);
}

uint32_t OlvWdmCreateSymbolicLink(const char* link, const char* device)
{
    WideName wideLink;
    WideName wideDevice;
    WidenName(&wideLink, link);
    WidenName(&wideDevice, device);
    return (uint32_t)IoCreateSymbolicLink(&wideLink.counted, &wideDevice.counted);
}

uint32_t OlvWdmDeleteSymbolicLink(const char* link)
{
    WideName wide;
    WidenName(&wide, link);
    return (uint32_t)IoDeleteSymbolicLink(&wide.counted);
}

void* OlvWdmAttachDeviceToDeviceStack(void* device, void* physicalDevice)
{
    return IoAttachDeviceToDeviceStack((PDEVICE_OBJECT)device, (PDEVICE_OBJECT)physicalDevice);
}

void OlvWdmDetachDevice(void* lowerDevice)
{
    IoDetachDevice((PDEVICE_OBJECT)lowerDevice);
}

void OlvWdmDeleteDevice(void* device)
{
    IoDeleteDevice((PDEVICE_OBJECT)device);
}

void OlvWdmSetDeviceFlags(void* device, uint32_t set, uint32_t clear)
{
    PDEVICE_OBJECT object = (PDEVICE_OBJECT)device;
    object->Flags |= set;
    object->Flags &= ~clear;
}

void OlvWdmFreeUnicodeString(void* text)
{
    RtlFreeUnicodeString((PUNICODE_STRING)text);
}

void OlvWdmDescribeRequest(void* irp, OlvWdmRequest* parameters)
{
    PIRP request = (PIRP)irp;
    PIO_STACK_LOCATION stack = IoGetCurrentIrpStackLocation(request);
    RtlZeroMemory(parameters, sizeof *parameters);
    parameters->majorFunction = stack->MajorFunction;
    parameters->minorFunction = stack->MinorFunction;
    parameters->systemBuffer = (uint8_t*)request->AssociatedIrp.SystemBuffer;
    switch (stack->MajorFunction) {
    case IRP_MJ_CREATE:
        parameters->fileName = stack->FileObject != NULL ? &stack->FileObject->FileName : NULL;
        break;
    case IRP_MJ_READ:
        parameters->length = stack->Parameters.Read.Length;
        parameters->byteOffset = stack->Parameters.Read.ByteOffset.QuadPart;
        break;
    case IRP_MJ_WRITE:
        parameters->length = stack->Parameters.Write.Length;
        parameters->byteOffset = stack->Parameters.Write.ByteOffset.QuadPart;
        break;
    case IRP_MJ_DEVICE_CONTROL:
        parameters->ioControlCode = stack->Parameters.DeviceIoControl.IoControlCode;
        parameters->inputLength = stack->Parameters.DeviceIoControl.InputBufferLength;
        parameters->outputLength = stack->Parameters.DeviceIoControl.OutputBufferLength;
        break;
    case IRP_MJ_POWER:
        parameters->powerType = (uint32_t)stack->Parameters.Power.Type;
        parameters->powerState = (uint32_t)stack->Parameters.Power.State.SystemState;
        break;
    case IRP_MJ_PNP:
        if (stack->MinorFunction == IRP_MN_QUERY_DEVICE_RELATIONS) {
            parameters->relationType = (uint32_t)stack->Parameters.QueryDeviceRelations.Type;
        }
        break;
    default:
        break;
    }
}

void OlvWdmSkipCurrentStackLocation(void* request)
{
    IoSkipCurrentIrpStackLocation((PIRP)request);
}

uint32_t OlvWdmCallDriver(void* device, void* request)
{
    return (uint32_t)IoCallDriver((PDEVICE_OBJECT)device, (PIRP)request);
}

void OlvWdmStartNextPowerIrp(void* request)
{
    PoStartNextPowerIrp((PIRP)request);
}

uint32_t OlvWdmPoCallDriver(void* device, void* request)
{
    return (uint32_t)PoCallDriver((PDEVICE_OBJECT)device, (PIRP)request);
}

void OlvWdmCompleteRequest(void* irp, uint32_t status, uint32_t information)
{
    PIRP request = (PIRP)irp;
    request->IoStatus.Status = (NTSTATUS)status;
    request->IoStatus.Information = information;
    IoCompleteRequest(request, IO_NO_INCREMENT);
}
