// The driver frame on a simulated device stack: which platform calls it
// makes, in which order, and what it logs.
#include <gtest/gtest.h>

#include <algorithm>

#include "common/olvexpin_contract.h"
#include "tests/unit/driver_test_rig.h"

namespace olvexpin::host {
namespace {

using Calls = std::vector<std::string>;

bool Contains(const std::vector<std::string>& texts, const std::string& text)
{
    return std::find(texts.begin(), texts.end(), text) != texts.end();
}

class DriverFrameTest : public ::testing::Test {
protected:
    void LoadAndAdd()
    {
        rig.Load();
        ASSERT_EQ(OlvexPinXAAddDevice(rig.frame, &rig.driver, rig.io.PhysicalDevice()), kStatusSuccess);
        rig.io.ClearCalls();
    }

    DriverRig rig;
};

TEST_F(DriverFrameTest, EntryStartsLoggingAndInstallsTheRoutines)
{
    EXPECT_EQ(DriverEntry(rig.frame, &rig.driver, &rig.registryPath), kStatusSuccess);
    rig.loaded = true;
    EXPECT_TRUE(rig.driver.routinesInstalled);
    EXPECT_EQ(rig.io.Calls(), Calls{"InstallDriverRoutines"});
    rig.Unload();
    EXPECT_EQ(rig.Messages(),
              (Calls{"DebugPrint logging started",
                     "RegistryPath is \\REGISTRY\\MACHINE\\SYSTEM\\CurrentControlSet\\Services\\OlvexPin",
                     "DriverEntry completed", "OlvexPinXAUnload", "DebugPrint logging ended"}));
}

TEST_F(DriverFrameTest, AddDeviceCreatesRegistersLinksAttachesInOrder)
{
    rig.Load();
    EXPECT_EQ(OlvexPinXAAddDevice(rig.frame, &rig.driver, rig.io.PhysicalDevice()), kStatusSuccess);
    EXPECT_EQ(rig.io.Calls(),
              (Calls{"InstallDriverRoutines",
                     "IoCreateDevice \\Device\\OlvexPinXA type 22 characteristics 0 shared",
                     "IoRegisterDeviceInterface PDO", "IoSetDeviceInterfaceState TRUE",
                     "IoCreateSymbolicLink \\DosDevices\\OlvexPinXA \\Device\\OlvexPinXA",
                     "IoAttachDeviceToDeviceStack \\Device\\OlvexPinXA PDO", "Flags set 2004 clear 0",
                     "Flags set 0 clear 80"}));
    DeviceObject* fdo = rig.Fdo();
    ASSERT_NE(fdo, nullptr);
    EXPECT_EQ(fdo->flags, kDoBufferedIo | kDoPowerPagable);
    const auto& extension = *static_cast<DeviceExtension*>(rig.io.DeviceExtension(fdo));
    EXPECT_EQ(extension.fdo, fdo);
    EXPECT_EQ(extension.lowerDevice, rig.io.PhysicalDevice());
    EXPECT_TRUE(rig.io.LinkExists(OLVEXPIN_KERNEL_LINK_NAME));
    EXPECT_TRUE(rig.io.InterfaceEnabled());

    rig.Unload();
    char fdoText[16];
    std::snprintf(fdoText, sizeof fdoText, "%08X", static_cast<uint32_t>(reinterpret_cast<uintptr_t>(fdo)));
    const auto messages = rig.Messages();
    EXPECT_TRUE(Contains(messages, "AddDevice"));
    EXPECT_TRUE(Contains(messages, std::string("FDO is ") + fdoText));
    EXPECT_TRUE(Contains(messages, "Symbolic Link Name is \\??\\ROOT#UNKNOWN#0000#{6757ab23-15f0-4dee-97e8-ffe9fed43597}"));
}

TEST_F(DriverFrameTest, ASecondDeviceNodeFailsOnTheNameAndMakesNothing)
{
    LoadAndAdd();
    EXPECT_EQ(OlvexPinXAAddDevice(rig.frame, &rig.driver, rig.io.PhysicalDevice()), kStatusObjectNameCollision);
    EXPECT_EQ(rig.io.Calls(), Calls{"IoCreateDevice \\Device\\OlvexPinXA type 22 characteristics 0 shared"});
}

TEST_F(DriverFrameTest, FailedInterfaceRegistrationDeletesTheDevice)
{
    rig.Load();
    rig.io.registerStatus = 0xC0000001u;
    EXPECT_EQ(OlvexPinXAAddDevice(rig.frame, &rig.driver, rig.io.PhysicalDevice()), 0xC0000001u);
    const Calls calls = rig.io.Calls();
    ASSERT_GE(calls.size(), 2u);
    EXPECT_EQ(calls[calls.size() - 2], "IoRegisterDeviceInterface PDO");
    EXPECT_EQ(calls.back(), "IoDeleteDevice \\Device\\OlvexPinXA");
    EXPECT_EQ(rig.Fdo(), nullptr);
}

TEST_F(DriverFrameTest, AFailedLinkDoesNotFailTheDevice)
{
    rig.Load();
    rig.io.symbolicLinkStatus = 0xC0000035u;
    EXPECT_EQ(OlvexPinXAAddDevice(rig.frame, &rig.driver, rig.io.PhysicalDevice()), kStatusSuccess);
    EXPECT_NE(rig.Fdo(), nullptr);
    EXPECT_FALSE(rig.io.LinkExists(OLVEXPIN_KERNEL_LINK_NAME));
}

// Attaching can return nothing; a device whose requests would be passed
// down to nobody is undone and the add-device routine fails.
TEST_F(DriverFrameTest, ANullAttachUndoesEverythingAndFails)
{
    rig.Load();
    rig.io.ClearCalls();
    rig.io.attachFails = true;
    EXPECT_EQ(OlvexPinXAAddDevice(rig.frame, &rig.driver, rig.io.PhysicalDevice()), kStatusNoSuchDevice);
    const Calls calls = rig.io.Calls();
    const Calls tail(calls.end() - 5, calls.end());
    EXPECT_EQ(tail, (Calls{"IoAttachDeviceToDeviceStack \\Device\\OlvexPinXA PDO",
                           "IoDeleteSymbolicLink \\DosDevices\\OlvexPinXA", "IoSetDeviceInterfaceState FALSE",
                           "RtlFreeUnicodeString", "IoDeleteDevice \\Device\\OlvexPinXA"}));
    EXPECT_EQ(rig.Fdo(), nullptr);
    EXPECT_FALSE(rig.io.LinkExists(OLVEXPIN_KERNEL_LINK_NAME));
    EXPECT_EQ(rig.io.LiveLinkNames(), 0);
}

TEST_F(DriverFrameTest, RemovalPassesDownFirstThenTearsDownInOrder)
{
    LoadAndAdd();
    DeviceObject* fdo = rig.Fdo();
    rig.io.lowerDriverStatus = 0xC00000BBu;  // whatever the lower drivers say
    Irp remove = MakeRequest(kIrpMjPnp, kIrpMnRemoveDevice);
    EXPECT_EQ(OlvexPinXAPnp(rig.frame, fdo, &remove), kStatusSuccess) << "the link deletion's status";
    EXPECT_EQ(rig.io.Calls(),
              (Calls{"IoSkipCurrentIrpStackLocation", "IofCallDriver PDO", "IoSetDeviceInterfaceState FALSE",
                     "RtlFreeUnicodeString", "IoDetachDevice PDO", "IoDeleteSymbolicLink \\DosDevices\\OlvexPinXA",
                     "IoDeleteDevice \\Device\\OlvexPinXA"}));
    EXPECT_EQ(remove.completions, 1) << "only the lower driver completes a PnP request";
    EXPECT_FALSE(rig.io.LinkExists(OLVEXPIN_KERNEL_LINK_NAME));
    EXPECT_EQ(rig.io.LiveLinkNames(), 0);
    EXPECT_EQ(rig.Fdo(), nullptr);
    rig.Unload();
    const auto messages = rig.Messages();
    EXPECT_TRUE(Contains(messages, "PnP IRP_MJ_PNP:IRP_MN_REMOVE_DEVICE"));
    EXPECT_TRUE(Contains(messages, "PnP RemoveDevice"));
}

TEST_F(DriverFrameTest, OtherPnpRequestsOnlyPassDown)
{
    LoadAndAdd();
    rig.io.lowerDriverStatus = 0xC00000BBu;
    for (const uint8_t minor : {uint8_t{0x00}, uint8_t{0x07}, uint8_t{0x17}, uint8_t{0xFF}}) {
        Irp request = MakeRequest(kIrpMjPnp, minor);
        EXPECT_EQ(OlvexPinXAPnp(rig.frame, rig.Fdo(), &request), 0xC00000BBu) << int(minor);
        EXPECT_TRUE(request.skipped && request.passedDown);
        EXPECT_EQ(request.completions, 1);
    }
    EXPECT_NE(rig.Fdo(), nullptr);
    EXPECT_TRUE(rig.io.LinkExists(OLVEXPIN_KERNEL_LINK_NAME));
    rig.Unload();
    const auto messages = rig.Messages();
    EXPECT_TRUE(Contains(messages, "PnP IRP_MJ_PNP:IRP_MN_START_DEVICE"));
    EXPECT_TRUE(Contains(messages, "PnP IRP_MJ_PNP:IRP_MN_QUERY_DEVICE_RELATIONS BusRelations"));
    EXPECT_TRUE(Contains(messages, "PnP IRP_MJ_PNP:000000FF"));
}

TEST_F(DriverFrameTest, PowerLetsTheNextPowerRequestStartThenPassesDown)
{
    LoadAndAdd();
    rig.io.lowerDriverStatus = 0x103u;
    Irp request = MakeRequest(kIrpMjPower, kIrpMnSetPower);
    request.parameters.codes.powerType = 1;
    request.parameters.codes.powerState = 1;
    EXPECT_EQ(OlvexPinXAPower(rig.frame, rig.Fdo(), &request), 0x103u);
    EXPECT_EQ(rig.io.Calls(), (Calls{"PoStartNextPowerIrp", "IoSkipCurrentIrpStackLocation", "PoCallDriver PDO"}));
    rig.Unload();
    EXPECT_TRUE(Contains(rig.Messages(), "Power IRP_MJ_POWER:IRP_MN_SET_POWER Set Power PowerDeviceD0"));
}

TEST_F(DriverFrameTest, SystemControlPassesDown)
{
    LoadAndAdd();
    rig.io.lowerDriverStatus = 0xC0000010u;
    Irp request = MakeRequest(kIrpMjSystemControl, 0);
    EXPECT_EQ(OlvexPinXASystemControl(rig.frame, rig.Fdo(), &request), 0xC0000010u);
    EXPECT_EQ(rig.io.Calls(), (Calls{"IoSkipCurrentIrpStackLocation", "IofCallDriver PDO"}));
    rig.Unload();
    EXPECT_TRUE(Contains(rig.Messages(), "SystemControl"));
}

TEST_F(DriverFrameTest, CreateAndCloseSucceedAndLog)
{
    LoadAndAdd();
    Irp plain = MakeCreate("");
    Irp named = MakeCreate("\\sub");
    Irp close = MakeRequest(kIrpMjClose);
    EXPECT_EQ(OlvexPinXACreate(rig.frame, rig.Fdo(), &plain), kStatusSuccess);
    EXPECT_EQ(OlvexPinXACreate(rig.frame, rig.Fdo(), &named), kStatusSuccess);
    EXPECT_EQ(OlvexPinXAClose(rig.frame, rig.Fdo(), &close), kStatusSuccess);
    for (const Irp* irp : {&plain, &named, &close}) {
        EXPECT_EQ(irp->completions, 1);
        EXPECT_EQ(irp->information, 0u);
    }
    rig.Unload();
    const auto messages = rig.Messages();
    EXPECT_TRUE(Contains(messages, "Create File is "));
    EXPECT_TRUE(Contains(messages, "Create File is \\sub"));
    EXPECT_TRUE(Contains(messages, "Close"));
}

TEST_F(DriverFrameTest, DeviceControlCompletesWithTheCoreResult)
{
    LoadAndAdd();
    Irp request = MakeDeviceControl(IOCTL_OLVEXPINXA_DATA, {0x5A}, 1);
    EXPECT_EQ(OlvexPinXADeviceControl(rig.frame, rig.Fdo(), &request), OLVEXPIN_STATUS_SUCCESS);
    EXPECT_EQ(request.completions, 1);
    EXPECT_EQ(request.information, 1u);
    EXPECT_EQ(request.systemBuffer[0], 0x5A);
    Irp unknown = MakeDeviceControl(0x220410, {}, 0);
    EXPECT_EQ(OlvexPinXADeviceControl(rig.frame, rig.Fdo(), &unknown), OLVEXPIN_STATUS_INVALID_DEVICE_REQUEST);
    rig.Unload();
    const auto messages = rig.Messages();
    EXPECT_TRUE(Contains(messages, "DeviceIoControl: Control code 00220400 InputLength 1 OutputLength 1"));
    EXPECT_TRUE(Contains(messages, "DeviceIoControl: IOCTL_OLVEXPINXA_DATA InputLength 1"));
    EXPECT_TRUE(Contains(messages, "DeviceIoControl: 1 bytes written"));
}

TEST_F(DriverFrameTest, UnloadReleasesTheBufferAndEndsLogging)
{
    LoadAndAdd();
    Irp write = MakeWrite({1, 2, 3}, 0);
    OlvexPinXAWrite(rig.frame, rig.Fdo(), &write);
    EXPECT_EQ(rig.pool.LiveBlocks(), 1);
    rig.Unload();
    EXPECT_EQ(rig.pool.LiveBlocks(), 0);
    EXPECT_EQ(rig.context.memory.data, nullptr);
    const auto messages = rig.Messages();
    ASSERT_GE(messages.size(), 2u);
    EXPECT_EQ(messages[messages.size() - 2], "OlvexPinXAUnload");
    EXPECT_EQ(messages.back(), "DebugPrint logging ended");
    EXPECT_EQ(rig.debugPrint.pool.LiveBlocks(), 0);
}

}  // namespace
}  // namespace olvexpin::host
