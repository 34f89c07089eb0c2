/*
 * The benchmark's baseline, built only for the Wine tests: a device that
 * completes every device control request at once with the output length as
 * its count, and does nothing else. OlvexPin's round trip is measured against
 * this one's in the same run.
 */
#include <ntddk.h>

static NTSTATUS NTAPI Complete(PDEVICE_OBJECT device, PIRP irp)
{
    PIO_STACK_LOCATION stack = IoGetCurrentIrpStackLocation(irp);
    (void)device;
    irp->IoStatus.Status = STATUS_SUCCESS;
    irp->IoStatus.Information = stack->MajorFunction == IRP_MJ_DEVICE_CONTROL
                                    ? stack->Parameters.DeviceIoControl.OutputBufferLength
                                    : 0;
    IoCompleteRequest(irp, IO_NO_INCREMENT);
    return STATUS_SUCCESS;
}

static VOID NTAPI Unload(PDRIVER_OBJECT driver)
{
    UNICODE_STRING link;
    RtlInitUnicodeString(&link, L"\\DosDevices\\OlvexBench");
    IoDeleteSymbolicLink(&link);
    IoDeleteDevice(driver->DeviceObject);
}

NTSTATUS NTAPI DriverEntry(PDRIVER_OBJECT driver, PUNICODE_STRING registryPath)
{
    UNICODE_STRING name;
    UNICODE_STRING link;
    PDEVICE_OBJECT device;
    NTSTATUS status;
    (void)registryPath;
    RtlInitUnicodeString(&name, L"\\Device\\OlvexBench");
    status = IoCreateDevice(driver, 0, &name, FILE_DEVICE_UNKNOWN, 0, FALSE, &device);
    if (!NT_SUCCESS(status)) {
        return status;
    }
    device->Flags |= DO_BUFFERED_IO;
    RtlInitUnicodeString(&link, L"\\DosDevices\\OlvexBench");
    IoCreateSymbolicLink(&link, &name);
    driver->MajorFunction[IRP_MJ_CREATE] = Complete;
    driver->MajorFunction[IRP_MJ_CLOSE] = Complete;
    driver->MajorFunction[IRP_MJ_DEVICE_CONTROL] = Complete;
    driver->DriverUnload = Unload;
    device->Flags &= ~DO_DEVICE_INITIALIZING;
    return STATUS_SUCCESS;
}
