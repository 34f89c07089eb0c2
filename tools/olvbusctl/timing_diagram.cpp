#include "timing_diagram.h"

#include <cstdint>
#include <cstdio>
#include <deque>
#include <map>
#include <sstream>
#include <vector>

#include "words.h"

namespace olvbusctl {
namespace {

constexpr int kControlPins[] = {1, 14, 16, 17};
constexpr int kStatusPins[] = {10, 11, 12, 13, 15};
constexpr std::size_t kLabelWidth = 26;

struct Sample {
    std::uint64_t step = 0;
    std::uint32_t address = 0;
    std::uint32_t value = 0;
    std::uint32_t op = 0;  // the recorder's codes: 0 read byte, 1 write byte, 2 read word, 3 write word
    std::uint32_t pins = 0;  // bit n: level at connector pin n
    std::uint32_t data = 0;
    std::uint32_t pcDrives = 0;
    std::uint64_t repeats = 1;
};

enum class Field { kAddress, kValue, kOp, kPin, kData, kPcDrives };

struct Variable {
    Field field;
    int pin = 0;
};

void Apply(Sample& sample, const Variable& variable, std::uint32_t value)
{
    switch (variable.field) {
    case Field::kAddress: sample.address = value; break;
    case Field::kValue: sample.value = value; break;
    case Field::kOp: sample.op = value; break;
    case Field::kData: sample.data = value; break;
    case Field::kPcDrives: sample.pcDrives = value; break;
    case Field::kPin:
        sample.pins = value != 0 ? (sample.pins | (1u << variable.pin)) : (sample.pins & ~(1u << variable.pin));
        break;
    }
}

std::string AccessName(const Sample& s, int base)
{
    const char* registers[] = {"D", "S", "C"};
    const bool write = s.op == 1 || s.op == 3;
    const int offset = static_cast<int>(s.address) - base;
    if (offset >= 0 && offset <= 2) {
        return std::string(write ? "w" : "r") + registers[offset];
    }
    return write ? "wIO" : "rIO";
}

std::string Cell(std::string text)
{
    text.resize(3, ' ');
    return text;
}

// '-' high, '_' low, with the edge drawn where the level changes.
std::string LevelRow(const std::vector<Sample>& columns, int pin)
{
    std::string row;
    bool previous = false;
    for (std::size_t i = 0; i < columns.size(); ++i) {
        const bool high = ((columns[i].pins >> pin) & 1) != 0;
        const char level = high ? '-' : '_';
        if (i > 0 && high != previous) {
            row += high ? '/' : '\\';
        } else {
            row += level;
        }
        row += level;
        row += level;
        previous = high;
    }
    return row;
}

std::string Label(const std::string& text)
{
    std::string label = text;
    label.resize(kLabelWidth, ' ');
    return label;
}

}  // namespace

bool DrawTimingDiagram(std::istream& vcd, int columns, const TimingLabels& labels, std::ostream& out,
                       std::string& error)
{
    std::map<std::string, Variable> variables;
    std::string scope;
    std::string line;
    bool definitions = true;
    Sample now;
    std::deque<Sample> last;
    bool stamped = false;
    bool changedSinceStamp = false;

    auto keep = [&]() {
        if (!last.empty() && last.back().step + 1 < now.step) {
            last.back().repeats = now.step - last.back().step;
        }
        last.push_back(now);
        while (last.size() > static_cast<std::size_t>(columns)) {
            last.pop_front();
        }
    };

    while (std::getline(vcd, line)) {
        if (line.empty()) {
            continue;
        }
        if (definitions) {
            std::istringstream words(line);
            std::string keyword;
            words >> keyword;
            if (keyword == "$scope") {
                std::string kind;
                words >> kind >> scope;
            } else if (keyword == "$var") {
                std::string type;
                std::string width;
                std::string id;
                std::string name;
                words >> type >> width >> id >> name;
                if (scope == "io" && name == "address") {
                    variables[id] = {Field::kAddress};
                } else if (scope == "io" && name == "value") {
                    variables[id] = {Field::kValue};
                } else if (scope == "io" && name == "op") {
                    variables[id] = {Field::kOp};
                } else if (scope == "connector" && name == "data") {
                    variables[id] = {Field::kData};
                } else if (scope == "connector" && name == "pc_drives_data") {
                    variables[id] = {Field::kPcDrives};
                } else if (scope == "connector" && name.rfind("pin", 0) == 0) {
                    const auto pin = ParseNumber(name.substr(3));
                    if (pin && *pin >= 1 && *pin <= 17) {
                        variables[id] = {Field::kPin, static_cast<int>(*pin)};
                    }
                }
            } else if (keyword == "$enddefinitions") {
                definitions = false;
                if (variables.size() < 6) {
                    error = "the waveform does not describe the parallel port's connector";
                    return false;
                }
            }
            continue;
        }
        if (line[0] == '#') {
            const auto step = ParseNumber(std::string_view(line).substr(1));
            if (!step || *step < 0) {
                error = "bad time step " + Quote(line);
                return false;
            }
            // Step 0 holds the levels before the first access; columns are accesses.
            if (stamped && now.step > 0) {
                keep();
            }
            now.step = static_cast<std::uint64_t>(*step);
            now.repeats = 1;
            stamped = true;
            changedSinceStamp = false;
            continue;
        }
        if (line[0] == '$') {
            continue;  // $dumpvars and its $end
        }
        std::string id;
        std::uint32_t value = 0;
        if (line[0] == 'b') {
            const auto blank = line.find(' ');
            if (blank == std::string::npos) {
                error = "bad value change " + Quote(line);
                return false;
            }
            for (std::size_t i = 1; i < blank; ++i) {
                value = (value << 1) | (line[i] == '1' ? 1u : 0u);
            }
            id = line.substr(blank + 1);
        } else {
            value = line[0] == '1' ? 1u : 0u;
            id = line.substr(1);
        }
        if (const auto found = variables.find(id); found != variables.end()) {
            Apply(now, found->second, value);
        }
        changedSinceStamp = true;
    }
    if (definitions) {
        error = "the waveform has no definitions (is it complete?)";
        return false;
    }
    // The recorder closes the file with a time stamp of its own that changes
    // nothing: it is no access, but it tells how often the last one repeated.
    if (stamped && now.step > 0) {
        if (changedSinceStamp) {
            keep();
        } else if (!last.empty()) {
            last.back().repeats = now.step - last.back().step;
        }
    }
    if (last.empty()) {
        out << "timing: no port accesses recorded\n";
        return true;
    }
    const std::vector<Sample> shown(last.begin(), last.end());

    out << "timing: port accesses " << shown.front().step << " to " << shown.back().step + shown.back().repeats - 1
        << ", one column per access (a count below: the same access repeated)\n";

    std::string access;
    std::string repeats;
    bool anyRepeats = false;
    for (const Sample& s : shown) {
        access += Cell(AccessName(s, labels.selectedBase));
        if (s.repeats > 1) {
            anyRepeats = true;
            repeats += Cell(s.repeats > 999 ? ">1k" : std::to_string(s.repeats));
        } else {
            repeats += Cell("");
        }
    }
    auto emit = [&](const std::string& label, const std::string& row) {
        std::string text = Label(label) + row;
        while (!text.empty() && text.back() == ' ') {
            text.pop_back();
        }
        out << text << '\n';
    };
    emit("access", access);
    if (anyRepeats) {
        emit("  times", repeats);
    }
    for (int pin : kControlPins) {
        const std::string& name = labels.pinLabel[pin];
        emit("pin " + std::to_string(pin) + (name.empty() ? "" : " " + name), LevelRow(shown, pin));
    }
    for (int pin : kStatusPins) {
        const std::string& name = labels.pinLabel[pin];
        if (!name.empty()) {
            emit("pin " + std::to_string(pin) + " " + name, LevelRow(shown, pin));
        }
    }
    std::string data;
    std::string drives;
    for (std::size_t i = 0; i < shown.size(); ++i) {
        const bool changed = i == 0 || shown[i].data != shown[i - 1].data;
        char cell[8];
        std::snprintf(cell, sizeof cell, "|%02X", static_cast<unsigned>(shown[i].data & 0xFF));
        data += changed ? Cell(cell) : Cell("");
        const bool pcChanged = i == 0 || shown[i].pcDrives != shown[i - 1].pcDrives;
        drives += pcChanged ? Cell(shown[i].pcDrives != 0 ? "|PC" : "|--") : Cell("");
    }
    emit("data lines (pins 2-9)", data);
    emit("  driven by", drives);
    return true;
}

}  // namespace olvbusctl
