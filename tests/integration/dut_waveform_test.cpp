// The waveform recorder's VCD of a register cycle, read back the way a wave
// viewer would: the strobes step through the worked example's bus states.
#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "sim/waveform_recorder.h"
#include "tests/integration/dut_board.h"

namespace olvbus::test {
namespace {

// The dut scope's values after each time step that changed one of them.
struct Step {
    std::string strobes;  // WR RD ADDR CS as 0/1, 1 = asserted
    unsigned ad;
    bool operator==(const Step&) const = default;
};

void PrintTo(const Step& s, std::ostream* os) { *os << s.strobes << "/0x" << std::hex << s.ad; }

std::vector<Step> DutSteps(const std::string& vcd)
{
    std::istringstream lines(vcd);
    std::string line;
    std::map<std::string, std::string> names;  // id -> name, dut scope only
    std::string scope;
    while (std::getline(lines, line) && line != "$enddefinitions $end") {
        std::istringstream words(line);
        std::string keyword, type, width, id, name;
        words >> keyword;
        if (keyword == "$scope") {
            words >> type >> scope;
        } else if (keyword == "$var" && scope == "dut") {
            words >> type >> width >> id >> name;
            names[id] = name;
        }
    }
    std::map<std::string, unsigned> values;
    std::vector<Step> steps;
    auto snapshot = [&] {
        Step s{"", values["AD"]};
        for (const char* strobe : {"WR", "RD", "ADDR", "CS"}) {
            s.strobes += values[strobe] ? '1' : '0';
        }
        if (steps.empty() || !(steps.back() == s)) {
            steps.push_back(s);
        }
    };
    bool started = false;
    while (std::getline(lines, line)) {
        if (line.empty() || line[0] == '$') {
            continue;
        }
        if (line[0] == '#') {
            if (started) {
                snapshot();
            }
            started = true;
        } else if (line[0] == 'b') {
            const auto blank = line.find(' ');
            const auto found = names.find(line.substr(blank + 1));
            if (found != names.end()) {
                values[found->second] = static_cast<unsigned>(std::stoul(line.substr(1, blank - 1), nullptr, 2));
            }
        } else {
            const auto found = names.find(line.substr(1));
            if (found != names.end()) {
                values[found->second] = line[0] == '1' ? 1 : 0;
            }
        }
    }
    snapshot();
    return steps;
}

TEST(Waveform, WorkedExampleWriteShowsTheStrobeSequenceAndTheBus)
{
    DutBoard board(sim::OsFamily::kWin9x, kWorkedWiring);
    auto out = std::make_unique<std::ostringstream>();
    std::ostringstream& vcd = *out;
    {
        sim::WaveformRecorder recorder(board.pc.io, std::move(out), 1, board.config);
        ASSERT_TRUE(board.library.Try_DUT_Register_Write(0x12, 0x34));
        EXPECT_EQ(recorder.Steps(), 10u);
        const std::string text = vcd.str();
        EXPECT_NE(text.find("$timescale 1us $end"), std::string::npos);
        EXPECT_NE(text.find("$var wire 8 "), std::string::npos);
        // Idle, then Addr_Wr, the address, Addr_Idle, Data_Wr, the data, Data_Idle.
        EXPECT_EQ(DutSteps(text), (std::vector<Step>{{"0000", 0x00},
                                                     {"1011", 0x00},
                                                     {"1011", 0x12},
                                                     {"0011", 0x12},
                                                     {"1001", 0x12},
                                                     {"1001", 0x34},
                                                     {"0001", 0x34}}));
    }
}

TEST(Waveform, ReadCycleShowsTheDeviceDrivingTheLines)
{
    DutBoard board(sim::OsFamily::kNt, kWorkedWiring);
    board.dut->SetRegister(0x12, 0x5A);
    auto out = std::make_unique<std::ostringstream>();
    std::ostringstream& vcd = *out;
    sim::WaveformRecorder recorder(board.pc.io, std::move(out), 1, board.config);
    std::int32_t value = 0;
    ASSERT_TRUE(board.library.Try_DUT_Register_Read(0x12, &value));
    const std::vector<Step> steps = DutSteps(vcd.str());
    ASSERT_EQ(steps.size(), 6u);
    EXPECT_EQ(steps[4], (Step{"0101", 0x5A}));  // Data_Rd: RD asserted, the register on the bus
    EXPECT_EQ(steps[5], (Step{"0001", 0x12}));  // Data_Idle: the PC drives its latch again
}

}  // namespace
}  // namespace olvbus::test
