/*
 * Creates or removes the root-enumerated device node whose function driver
 * is OlvexPin, the way a hardware installation would: a ROOT instance with
 * the INF's hardware id, registered, with the service named.
 *
 * usage: device_setup add | remove
 */
#include <windows.h>
#include <setupapi.h>
#include <stdio.h>
#include <string.h>

static const char kInstanceId[] = "ROOT\\OLVEXPIN\\0000";
static const char kHardwareIds[] = "root\\OlvexPin\0"; /* a multi-string */
static const char kService[] = "OlvexPin";
/* The System device class. */
static const GUID kSystemClass = {0x4d36e97d, 0xe325, 0x11ce, {0xbf, 0xc1, 0x08, 0x00, 0x2b, 0xe1, 0x03, 0x18}};

static int Fail(const char* what)
{
    fprintf(stderr, "device_setup: %s failed, error %lu\n", what, GetLastError());
    return 1;
}

int main(int argc, char** argv)
{
    HDEVINFO set = SetupDiCreateDeviceInfoList(&kSystemClass, NULL);
    SP_DEVINFO_DATA device = {sizeof device};
    if (set == INVALID_HANDLE_VALUE) {
        return Fail("SetupDiCreateDeviceInfoList");
    }
    if (argc == 2 && strcmp(argv[1], "add") == 0) {
        if (!SetupDiCreateDeviceInfoA(set, kInstanceId, &kSystemClass, NULL, NULL, 0, &device)) {
            return Fail("SetupDiCreateDeviceInfo");
        }
        if (!SetupDiSetDeviceRegistryPropertyA(set, &device, SPDRP_HARDWAREID, (const BYTE*)kHardwareIds,
                                               sizeof kHardwareIds)) {
            return Fail("SPDRP_HARDWAREID");
        }
        if (!SetupDiRegisterDeviceInfo(set, &device, 0, NULL, NULL, NULL)) {
            return Fail("SetupDiRegisterDeviceInfo");
        }
        if (!SetupDiSetDeviceRegistryPropertyA(set, &device, SPDRP_SERVICE, (const BYTE*)kService,
                                               sizeof kService)) {
            return Fail("SPDRP_SERVICE");
        }
    } else if (argc == 2 && strcmp(argv[1], "remove") == 0) {
        if (!SetupDiOpenDeviceInfoA(set, kInstanceId, NULL, 0, &device)) {
            return Fail("SetupDiOpenDeviceInfo");
        }
        if (!SetupDiRemoveDevice(set, &device)) {
            return Fail("SetupDiRemoveDevice");
        }
    } else {
        fprintf(stderr, "usage: device_setup add | remove\n");
        return 2;
    }
    SetupDiDestroyDeviceInfoList(set);
    return 0;
}
