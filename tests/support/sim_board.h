// A bench for tests: the library on a simulated PC, loaded as the operating
// system would load it, with the port accesses recorded.
#ifndef OLVBUS_TESTS_SIM_BOARD_H
#define OLVBUS_TESTS_SIM_BOARD_H

#include <ostream>
#include <string>
#include <vector>

#include "library/library.h"
#include "sim/simulated_pc.h"

namespace olvbus::test {

inline sim::SimOsConfig Family(sim::OsFamily family)
{
    sim::SimOsConfig config;
    config.family = family;
    return config;
}

struct SimBoard {
    explicit SimBoard(sim::SimOsConfig config = {}) : pc(std::move(config)), platform(pc), library(platform)
    {
        pc.io.Record(true);
        attached = library.ProcessAttach();
    }

    LibraryState& state() { return library.State(); }
    const std::vector<sim::PortAccessRecord>& accesses() const { return pc.io.Accesses(); }
    std::vector<std::string> boxTexts() const
    {
        std::vector<std::string> texts;
        for (const auto& box : pc.os.MessageBoxes()) {
            texts.push_back(box.text);
        }
        return texts;
    }
    std::string trace() const { return library.Get_Trace_Buffer(); }
    sim::ParallelPort& lpt1() { return pc.io.Port(0); }

    sim::SimulatedPc pc;
    sim::SimPlatform platform;
    Library library;
    bool attached = false;
};

inline sim::PortAccessRecord Wr(std::uint32_t address, std::uint16_t value)
{
    return {sim::AccessKind::kWriteByte, address, value};
}
inline sim::PortAccessRecord Rd(std::uint32_t address, std::uint16_t value)
{
    return {sim::AccessKind::kReadByte, address, value};
}

}  // namespace olvbus::test

namespace olvbus::sim {
inline bool operator==(const PortAccessRecord& a, const PortAccessRecord& b)
{
    return a.kind == b.kind && a.address == b.address && a.value == b.value;
}

inline void PrintTo(const PortAccessRecord& r, std::ostream* os)
{
    static const char* kinds[] = {"in", "out", "inw", "outw"};
    *os << kinds[static_cast<int>(r.kind)] << "(0x" << std::hex << r.address << ")=0x" << r.value
        << std::dec;
}
}  // namespace olvbus::sim

#endif  // OLVBUS_TESTS_SIM_BOARD_H
