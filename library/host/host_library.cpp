// libolvbus.so: the library on the simulated PC. The simulated machine is
// configured from OLVBUS_SIM_* when the library is loaded, the way a real PC
// is whatever it is when the DLL is loaded.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "library/process_library.h"
#include "sim/simulated_pc.h"

namespace olvbus {
namespace {

struct HostProcess {
    explicit HostProcess(const sim::SimSettings& settings)
        : pc(settings.os), platform(pc), library(platform)
    {
        if (settings.echoMessageBoxes) {
            pc.os.OnMessageBox([](const sim::MessageBoxRecord& box) {
                std::fprintf(stderr, "[message box \"%s\"] %s\n", box.caption.c_str(), box.text.c_str());
            });
        }
    }

    sim::SimulatedPc pc;
    sim::SimPlatform platform;
    Library library;
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
        for (const std::string& warning : warnings) {
            std::fprintf(stderr, "olvbus: ignoring %s\n", warning.c_str());
        }
        process = new HostProcess(settings);
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
