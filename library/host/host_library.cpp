// libolvbus.so: the library on the simulated PC. The simulated machine is
// configured from OLVBUS_SIM_* when the library is loaded, the way a real PC
// is whatever it is when the DLL is loaded.
#include <cstdio>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "library/process_library.h"
#include "sim/debugprint_device.h"
#include "sim/dut_model.h"
#include "sim/simulated_pc.h"
#include "sim/waveform_recorder.h"
#include "sys/host/host_debugprint.h"

namespace olvbus {
namespace {

struct HostProcess {
    HostProcess(const sim::SimSettings& settings, std::vector<std::string>& warnings)
        : pc(settings.os), platform(pc), library(platform)
    {
        if (settings.echoMessageBoxes) {
            pc.os.OnMessageBox([](const sim::MessageBoxRecord& box) {
                std::fprintf(stderr, "[message box \"%s\"] %s\n", box.caption.c_str(), box.text.c_str());
            });
        }
        // The device is on the bench before the library loads, as on a real PC.
        std::optional<sim::DutConfig> wiring;
        if (!settings.dut.empty()) {
            std::string error;
            wiring = sim::ParseDutConfig(settings.dut, error);
            if (wiring) {
                sim::ParallelPort& connector = pc.io.Port(wiring->lpt - 1);
                dut = std::make_unique<sim::DutModel>(*wiring, connector);
                connector.Attach(dut.get());
            } else {
                warnings.push_back("OLVBUS_SIM_DUT=" + settings.dut + ": " + error);
            }
        }
        // OlvexPin's diagnostic messages, through its debug-print client, to a
        // file the record reader (dpreader) decodes.
        if (!settings.debugPrintPath.empty()) {
            debugPrintPath = settings.debugPrintPath;
            debugPrintDevice = std::make_unique<sim::DebugPrintDeviceSim>();
            debugPrint = std::make_unique<olvexpin::host::HostDebugPrint>(*debugPrintDevice, std::chrono::seconds(1));
            debugPrint->client.Start("OlvexPinXA checked");
            pc.driver.SetDebugPrint(&debugPrint->client);
        }
        if (!settings.vcdPath.empty()) {
            waveform = sim::WaveformRecorder::ToFile(pc.io, settings.vcdPath, wiring ? wiring->lpt : 1, wiring);
            if (!waveform) {
                warnings.push_back("OLVBUS_SIM_VCD=" + settings.vcdPath + ": cannot create the file");
            }
        }
    }

    ~HostProcess()
    {
        if (debugPrint) {
            pc.driver.SetDebugPrint(nullptr);
            debugPrint->client.Stop();  // drains the queue: the closing record is the last
            const std::vector<std::uint8_t> stream = debugPrintDevice->Stream();
            std::ofstream file(debugPrintPath, std::ios::binary | std::ios::trunc);
            file.write(reinterpret_cast<const char*>(stream.data()), static_cast<std::streamsize>(stream.size()));
            if (!file) {
                std::fprintf(stderr, "olvbus: cannot write the debug-print records to %s\n", debugPrintPath.c_str());
            }
        }
        waveform.reset();
        if (dut) {
            pc.io.Port(dut->Config().lpt - 1).Attach(nullptr);
        }
    }

    sim::SimulatedPc pc;
    sim::SimPlatform platform;
    Library library;
    std::unique_ptr<sim::DutModel> dut;
    std::unique_ptr<sim::WaveformRecorder> waveform;
    std::string debugPrintPath;
    std::unique_ptr<sim::DebugPrintDeviceSim> debugPrintDevice;
    std::unique_ptr<olvexpin::host::HostDebugPrint> debugPrint;
};

// Created at load and destroyed at unload by the two routines below, in that
// order, whatever order the C++ runtime runs its own destructors in.
HostProcess* process = nullptr;

HostProcess& Process()
{
    if (process == nullptr) {
        std::vector<std::string> warnings;
        const sim::SimSettings settings =
            sim::ReadSimSettings([](const char* name) { return std::getenv(name); }, warnings);
        process = new HostProcess(settings, warnings);
        for (const std::string& warning : warnings) {
            std::fprintf(stderr, "olvbus: ignoring %s\n", warning.c_str());
        }
    }
    return *process;
}

__attribute__((constructor)) void LibraryLoaded()
{
    // The loader cannot be told to refuse a shared object; the message box
    // has been shown (echoed) and the library stays usable.
    Process().library.ProcessAttach();
}

__attribute__((destructor)) void LibraryUnloaded()
{
    if (process != nullptr) {
        process->library.ProcessDetach();
        delete process;
        process = nullptr;
    }
}

}  // namespace

Library& ProcessLibrary()
{
    return Process().library;
}

}  // namespace olvbus
