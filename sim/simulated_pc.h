// The whole simulated PC: its I/O space with the three parallel ports,
// OlvexPin answering requests, and the operating system; plus the binding of
// the library's seam onto it.
#ifndef OLVBUS_SIM_SIMULATED_PC_H
#define OLVBUS_SIM_SIMULATED_PC_H

#include <functional>
#include <string>
#include <vector>

#include "library/platform.h"
#include "sim/io_space.h"
#include "sim/sim_driver.h"
#include "sim/sim_os.h"

namespace olvbus::sim {

class SimulatedPc {
public:
    explicit SimulatedPc(SimOsConfig config = {}) : driver(io), os(std::move(config), driver) {}

    IoSpace io;
    SimDriver driver;
    SimOs os;
};

class SimPlatform final : public Platform {
public:
    explicit SimPlatform(SimulatedPc& pc) : pc_(pc) {}

    bool GetVersionEx(OsVersionInfo& info) override { return pc_.os.GetVersionEx(info); }
    OsHandle OpenExclusive(const char* name) override { return pc_.os.OpenExclusive(name); }
    bool CloseHandle(OsHandle handle) override { return pc_.os.CloseHandle(handle); }
    bool DeviceIoControl(OsHandle device, std::uint32_t code, const void* input,
                         std::uint32_t inputLength, void* output, std::uint32_t outputLength,
                         std::uint32_t* bytesReturned) override
    {
        return pc_.os.DeviceIoControl(device, code, input, inputLength, output, outputLength,
                                      bytesReturned);
    }
    void MessageBox(const char* text, const char* caption) override { pc_.os.MessageBox(text, caption); }
    bool OpenClassesRootKey(const char* subKey, RegistryKey* key) override
    {
        return pc_.os.OpenClassesRootKey(subKey, key);
    }
    bool QueryDefaultValue(RegistryKey key, char* buffer, std::uint32_t* size) override
    {
        return pc_.os.QueryDefaultValue(key, buffer, size);
    }
    void CloseKey(RegistryKey key) override { pc_.os.CloseKey(key); }
    std::uint32_t WinExec(const char* commandLine) override { return pc_.os.WinExec(commandLine); }
    std::uint32_t GetLastError() override { return pc_.os.LastError(); }
    std::optional<std::string> SystemErrorText(std::uint32_t code) override
    {
        return pc_.os.SystemErrorText(code);
    }
    std::uint8_t InByte(std::uint16_t port) override { return pc_.io.InByte(port); }
    void OutByte(std::uint16_t port, std::uint8_t value) override { pc_.io.OutByte(port, value); }

private:
    SimulatedPc& pc_;
};

// The simulated PC's settings as the host library reads them from its
// environment (OLVBUS_SIM_*). Unknown or malformed values are reported in
// warnings and leave the default in place.
struct SimSettings {
    SimOsConfig os;
    std::string dut;      // OLVBUS_SIM_DUT, wiring of the device under test
    std::string vcdPath;  // OLVBUS_SIM_VCD, where the waveform goes
    std::string debugPrintPath;  // OLVBUS_SIM_DEBUGPRINT, where OlvexPin's records go
    bool echoMessageBoxes = true;
};

SimSettings ReadSimSettings(const std::function<const char*(const char*)>& getVariable,
                            std::vector<std::string>& warnings);

}  // namespace olvbus::sim

#endif  // OLVBUS_SIM_SIMULATED_PC_H
