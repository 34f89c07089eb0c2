// The driver on the host binding: the frame over a simulated device stack,
// the port log, a host lock and pool, and the debug-print client writing to
// the substitute device. Messages are read back after unload, when the
// client has written everything.
#ifndef OLVEXPIN_TESTS_DRIVER_TEST_RIG_H
#define OLVEXPIN_TESTS_DRIVER_TEST_RIG_H

#include <string>
#include <vector>

#include "sim/debugprint_device.h"
#include "sys/driver_frame.h"
#include "sys/host/host_debugprint.h"
#include "sys/host/host_device_stack.h"
#include "sys/host/recording_ports.h"
#include "tools/dpreader/record_stream.h"

namespace olvexpin::host {

inline std::vector<uint16_t> Wide(const std::string& text) { return {text.begin(), text.end()}; }

struct DriverRig {
    DriverRig()
    {
        registryChars = Wide("\\REGISTRY\\MACHINE\\SYSTEM\\CurrentControlSet\\Services\\OlvexPin");
        registryPath = {static_cast<uint16_t>(registryChars.size() * 2), static_cast<uint16_t>(registryChars.size() * 2),
                        registryChars.data()};
    }

    ~DriverRig()
    {
        if (loaded) {
            Unload();
        }
    }

    void Load()
    {
        DriverEntry(frame, &driver, &registryPath);
        loaded = true;
    }
    // The Plug and Play manager removes the device before the driver unloads.
    void Unload()
    {
        if (DeviceObject* fdo = Fdo()) {
            Irp remove = MakeRequest(kIrpMjPnp, kIrpMnRemoveDevice);
            OlvexPinXAPnp(frame, fdo, &remove);
        }
        OlvexPinXAUnload(frame, &driver);
        loaded = false;
    }
    DeviceObject* Fdo() { return io.Device(OLVEXPIN_KERNEL_DEVICE_NAME); }

    std::vector<std::string> Messages()
    {
        std::vector<std::string> texts;
        for (const auto& r : olvbus::dpreader::DecodeRecordStream(printDevice.Stream()).records) {
            texts.push_back(r.text);
        }
        return texts;
    }

    HostDeviceStack io;
    olvbus::sim::DebugPrintDeviceSim printDevice;
    HostDebugPrint debugPrint{printDevice};
    RecordingPorts ports;
    HostSpinLock deviceLock;
    HostPool pool;
    DriverContext context{&ports, &deviceLock, &pool, nullptr, {}};
    DriverFrame frame{&context, &io, &debugPrint.client};
    DriverObject driver;
    std::vector<uint16_t> registryChars;
    CountedText16 registryPath{};
    bool loaded = false;
};

}  // namespace olvexpin::host

#endif  // OLVEXPIN_TESTS_DRIVER_TEST_RIG_H
