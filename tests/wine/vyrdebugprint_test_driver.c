/*
 * A stand-in for the outside debug-print driver, built only for the Wine
 * tests: it owns \Device\VyrDebugPrint, keeps every record written to it and
 * hands them to the test program, together with the parameters of the
 * client's open, through a second device, \\.\VyrDebugPrintTest. (Wine
 * opens no names below a device, so the test program's opens cannot be told
 * from the client's by a file name.)
 */
#include <ntddk.h>

#include "tests/wine/test_drivers.h"

#define STORE_BYTES (512 * 1024)

static UCHAR store[STORE_BYTES];
static ULONG stored;
static ULONG writes; /* every write, also those the full store drops */
static KSPIN_LOCK storeLock;
static VyrTestOpenParameters lastOpen;
static PDEVICE_OBJECT recordDevice;

static NTSTATUS Complete(PIRP irp, NTSTATUS status, ULONG_PTR information)
{
    irp->IoStatus.Status = status;
    irp->IoStatus.Information = information;
    IoCompleteRequest(irp, IO_NO_INCREMENT);
    return status;
}

static NTSTATUS NTAPI Create(PDEVICE_OBJECT device, PIRP irp)
{
    PIO_STACK_LOCATION stack = IoGetCurrentIrpStackLocation(irp);
    if (device == recordDevice) {
        lastOpen.opens++;
        lastOpen.desiredAccess = stack->Parameters.Create.SecurityContext != NULL
                                     ? stack->Parameters.Create.SecurityContext->DesiredAccess
                                     : 0;
        lastOpen.shareAccess = stack->Parameters.Create.ShareAccess;
        lastOpen.options = stack->Parameters.Create.Options;
        lastOpen.fileAttributes = stack->Parameters.Create.FileAttributes;
    }
    return Complete(irp, STATUS_SUCCESS, 0);
}

static NTSTATUS NTAPI Close(PDEVICE_OBJECT device, PIRP irp)
{
    (void)device;
    return Complete(irp, STATUS_SUCCESS, 0);
}

/* The client releases a record when the write returns, so it is copied
 * before completion. */
static NTSTATUS NTAPI Write(PDEVICE_OBJECT device, PIRP irp)
{
    PIO_STACK_LOCATION stack = IoGetCurrentIrpStackLocation(irp);
    ULONG length = stack->Parameters.Write.Length;
    const UCHAR* bytes = irp->AssociatedIrp.SystemBuffer != NULL ? irp->AssociatedIrp.SystemBuffer
                                                                 : irp->UserBuffer;
    KIRQL irql;
    if (device != recordDevice) {
        return Complete(irp, STATUS_INVALID_DEVICE_REQUEST, 0);
    }
    KeAcquireSpinLock(&storeLock, &irql);
    ++writes;
    if (length <= 0xFFFF && stored + 2 + length <= STORE_BYTES) {
        store[stored] = (UCHAR)(length & 0xFF);
        store[stored + 1] = (UCHAR)(length >> 8);
        RtlCopyMemory(store + stored + 2, bytes, length);
        stored += 2 + length;
    }
    KeReleaseSpinLock(&storeLock, irql);
    return Complete(irp, STATUS_SUCCESS, length);
}

static NTSTATUS NTAPI DeviceControl(PDEVICE_OBJECT device, PIRP irp)
{
    PIO_STACK_LOCATION stack = IoGetCurrentIrpStackLocation(irp);
    ULONG out = stack->Parameters.DeviceIoControl.OutputBufferLength;
    UCHAR* buffer = irp->AssociatedIrp.SystemBuffer;
    ULONG taken = 0;
    KIRQL irql;
    if (device == recordDevice) {
        return Complete(irp, STATUS_INVALID_DEVICE_REQUEST, 0);
    }
    switch (stack->Parameters.DeviceIoControl.IoControlCode) {
    case VYR_TEST_TAKE_RECORDS:
        KeAcquireSpinLock(&storeLock, &irql);
        /* Whole records only, oldest first. */
        while (taken + 2 <= stored) {
            ULONG length = store[taken] | (store[taken + 1] << 8);
            if (taken + 2 + length > out) {
                break;
            }
            taken += 2 + length;
        }
        RtlCopyMemory(buffer, store, taken);
        RtlMoveMemory(store, store + taken, stored - taken);
        stored -= taken;
        KeReleaseSpinLock(&storeLock, irql);
        return Complete(irp, STATUS_SUCCESS, taken);
    case VYR_TEST_OPEN_PARAMETERS:
        if (out < sizeof lastOpen) {
            return Complete(irp, STATUS_BUFFER_TOO_SMALL, 0);
        }
        RtlCopyMemory(buffer, &lastOpen, sizeof lastOpen);
        return Complete(irp, STATUS_SUCCESS, sizeof lastOpen);
    case VYR_TEST_COUNT_WRITES:
        if (out < sizeof writes) {
            return Complete(irp, STATUS_BUFFER_TOO_SMALL, 0);
        }
        KeAcquireSpinLock(&storeLock, &irql);
        RtlCopyMemory(buffer, &writes, sizeof writes);
        KeReleaseSpinLock(&storeLock, irql);
        return Complete(irp, STATUS_SUCCESS, sizeof writes);
    default:
        return Complete(irp, STATUS_INVALID_DEVICE_REQUEST, 0);
    }
}

static VOID NTAPI Unload(PDRIVER_OBJECT driver)
{
    UNICODE_STRING link;
    RtlInitUnicodeString(&link, L"\\DosDevices\\VyrDebugPrintTest");
    IoDeleteSymbolicLink(&link);
    while (driver->DeviceObject != NULL) {
        IoDeleteDevice(driver->DeviceObject);
    }
}

static NTSTATUS CreateDevice(PDRIVER_OBJECT driver, const WCHAR* name, PDEVICE_OBJECT* device)
{
    UNICODE_STRING counted;
    NTSTATUS status;
    RtlInitUnicodeString(&counted, name);
    status = IoCreateDevice(driver, 0, &counted, FILE_DEVICE_UNKNOWN, 0, FALSE, device);
    if (NT_SUCCESS(status)) {
        (*device)->Flags |= DO_BUFFERED_IO;
        (*device)->Flags &= ~DO_DEVICE_INITIALIZING;
    }
    return status;
}

NTSTATUS NTAPI DriverEntry(PDRIVER_OBJECT driver, PUNICODE_STRING registryPath)
{
    UNICODE_STRING link;
    UNICODE_STRING target;
    PDEVICE_OBJECT readerDevice;
    NTSTATUS status;
    (void)registryPath;
    KeInitializeSpinLock(&storeLock);
    status = CreateDevice(driver, L"\\Device\\VyrDebugPrint", &recordDevice);
    if (!NT_SUCCESS(status)) {
        return status;
    }
    status = CreateDevice(driver, L"\\Device\\VyrDebugPrintTest", &readerDevice);
    if (!NT_SUCCESS(status)) {
        IoDeleteDevice(recordDevice);
        return status;
    }
    RtlInitUnicodeString(&link, L"\\DosDevices\\VyrDebugPrintTest");
    RtlInitUnicodeString(&target, L"\\Device\\VyrDebugPrintTest");
    IoCreateSymbolicLink(&link, &target);
    driver->MajorFunction[IRP_MJ_CREATE] = Create;
    driver->MajorFunction[IRP_MJ_CLOSE] = Close;
    driver->MajorFunction[IRP_MJ_WRITE] = Write;
    driver->MajorFunction[IRP_MJ_DEVICE_CONTROL] = DeviceControl;
    driver->DriverUnload = Unload;
    return STATUS_SUCCESS;
}
