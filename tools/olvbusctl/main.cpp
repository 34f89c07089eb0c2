// olvbusctl: the library's exports from the command line, one command at a
// time or a bring-up script, for engineers at the bench.
//
// The library is loaded only after every command has been checked and the
// simulated PC's settings (--sim, --vcd) are in the environment, since the
// host library reads them once, when it loads. Loading it here rather than
// at program start means no re-exec is needed to apply the settings.
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "commands.h"
#include "olvbus_api.h"
#include "timing_diagram.h"
#include "words.h"

namespace olvbusctl {
namespace {

constexpr int kUsageStatus = 2;
constexpr int kFailureStatus = 1;
constexpr int kDefaultTimingColumns = 24;
constexpr int kMostTimingColumns = 200;

// The simulated PC's settings, as OLVBUS_SIM_<KEY>.
const char* const kSimKeys[] = {"os",   "driver",     "lpt_held", "lpt_absent", "pdf_handler", "notes",
                                "fail", "messagebox", "dut",      "vcd",        "debugprint"};

struct Line {
    int number = 0;  // 0: from the command line
    ParsedCommand command;
};

struct Options {
    std::vector<std::pair<std::string, std::string>> sim;  // variable, value
    std::string vcd;
    int timingColumns = 0;  // 0: no diagram
};

void PrintProgramHelp(std::ostream& out)
{
    out << "usage: olvbusctl [OPTIONS] COMMAND [ARGUMENTS] [\\; COMMAND [ARGUMENTS]]...\n"
           "       olvbusctl [OPTIONS] run SCRIPT|-\n"
           "       olvbusctl help [COMMAND]      (or: olvbusctl COMMAND --help)\n"
           "\n"
           "Drives the parallel port and the DUT register bus through the library's exports.\n"
           "Numbers are decimal or 0x hex. A script has one command per line, # starts a\n"
           "comment; it is checked whole before it runs and stops at the first failure.\n"
           "\n"
           "options:\n"
           "  --sim KEY=VALUE   a setting of the simulated PC (OLVBUS_SIM_KEY), e.g. os=9x,\n"
           "                    dut=wr=1-,rd=14-,addr=16+,cs=17-,busy=11+ (see the README)\n"
           "  --vcd FILE        write the waveform of the whole session to FILE\n"
           "  --timing[=N]      after the session, draw the last N port accesses (default 24)\n"
           "  -h, --help        this text\n"
           "\n"
           "commands:\n";
    PrintCommandList(out);
    out << "\n"
           "exit status: 0 success, 1 a register cycle or check failed, 2 bad usage\n";
}

int Usage(const std::string& message)
{
    std::cerr << "olvbusctl: " << message << '\n';
    return kUsageStatus;
}

// A script's own errors name the script and line, as a compiler's do.
int ScriptError(const std::string& message)
{
    std::cerr << message << '\n';
    return kUsageStatus;
}

// Checks the options; the position of the first command word goes to `next`.
bool ParseOptions(const std::vector<std::string>& args, Options& options, std::size_t& next,
                  std::string& error)
{
    std::size_t i = 0;
    auto value = [&](const std::string& arg, const std::string& name, std::string& out) {
        if (arg.size() > name.size() && arg[name.size()] == '=') {
            out = arg.substr(name.size() + 1);
            return true;
        }
        if (i + 1 >= args.size()) {
            error = name + ": missing its value";
            return false;
        }
        out = args[++i];
        return true;
    };
    for (; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--") {
            ++i;
            break;
        }
        if (arg.empty() || arg[0] != '-') {
            break;
        }
        const std::string name = arg.substr(0, arg.find('='));
        if (name == "--sim") {
            std::string setting;
            if (!value(arg, name, setting)) {
                return false;
            }
            const auto equals = setting.find('=');
            if (equals == std::string::npos || equals == 0) {
                error = "--sim: " + Quote(setting) + " is not KEY=VALUE";
                return false;
            }
            std::string key = setting.substr(0, equals);
            for (char& c : key) {
                c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
            }
            if (key.rfind("olvbus_sim_", 0) == 0) {
                key.erase(0, 11);
            }
            bool known = false;
            for (const char* simKey : kSimKeys) {
                known = known || key == simKey;
            }
            if (!known) {
                error = "--sim: " + Quote(setting.substr(0, equals)) +
                        " is not a setting (os, driver, lpt_held, lpt_absent, pdf_handler, notes, fail, "
                        "messagebox, dut, vcd, debugprint)";
                return false;
            }
            std::string variable = "OLVBUS_SIM_";
            for (char c : key) {
                variable += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
            }
            options.sim.emplace_back(variable, setting.substr(equals + 1));
        } else if (name == "--vcd") {
            if (!value(arg, name, options.vcd)) {
                return false;
            }
            if (options.vcd.empty()) {
                error = "--vcd: the file name is empty";
                return false;
            }
        } else if (name == "--timing") {
            options.timingColumns = kDefaultTimingColumns;
            if (arg.size() > name.size()) {
                const auto columns = ParseNumber(arg.substr(name.size() + 1));
                if (!columns || *columns < 1 || *columns > kMostTimingColumns) {
                    error = "--timing: " + Quote(arg.substr(name.size() + 1)) + " is not a column count (1 to " +
                            std::to_string(kMostTimingColumns) + ")";
                    return false;
                }
                options.timingColumns = static_cast<int>(*columns);
            }
        } else if (arg == "-h" || arg == "--help") {
            options.timingColumns = -1;  // help asked: nothing else runs
            next = args.size();
            return true;
        } else {
            error = Quote(arg) + " is not an option (olvbusctl --help lists them)";
            return false;
        }
    }
    next = i;
    return true;
}

// The script's lines, each checked; stops at the first bad one.
bool ReadScript(std::istream& in, const std::string& name, std::vector<Line>& lines, std::string& error)
{
    std::string text;
    int number = 0;
    while (std::getline(in, text)) {
        ++number;
        const std::vector<std::string> words = SplitWords(text);
        if (words.empty()) {
            continue;
        }
        Line line;
        line.number = number;
        const std::string problem = ParseCommand(words, line.command);
        if (!problem.empty()) {
            error = name + ":" + std::to_string(number) + ": " + problem;
            return false;
        }
        lines.push_back(std::move(line));
    }
    if (in.bad()) {
        error = name + ":" + std::to_string(number + 1) + ": cannot read the script";
        return false;
    }
    return true;
}

#ifndef _WIN32
// The simulated PC's settings, and its waveform, exist only on the host.
void SetVariable(const std::string& name, const std::string& value)
{
    setenv(name.c_str(), value.c_str(), 1);
}

// Removes the temporary waveform however the session ends.
struct TemporaryFile {
    std::string path;
    ~TemporaryFile()
    {
        if (!path.empty()) {
            std::error_code ignored;
            std::filesystem::remove(path, ignored);
        }
    }
};

std::string TemporaryWaveformPath()
{
    std::random_device random;
    std::error_code ignored;
    std::filesystem::path directory = std::filesystem::temp_directory_path(ignored);
    if (directory.empty()) {
        directory = ".";
    }
    char name[48];
    std::snprintf(name, sizeof name, "olvbusctl-%08x%08x.vcd", random(), random());
    return (directory / name).string();
}
#endif

int Main(const std::vector<std::string>& args)
{
    Options options;
    std::size_t next = 0;
    std::string error;
    if (!ParseOptions(args, options, next, error)) {
        return Usage(error);
    }
    if (options.timingColumns < 0) {
        PrintProgramHelp(std::cout);
        return 0;
    }
    if (next >= args.size()) {
        return Usage("no command (olvbusctl --help lists them)");
    }

    // help, per-command help, a script, or commands separated by ';'.
    const std::vector<std::string> words(args.begin() + static_cast<std::ptrdiff_t>(next), args.end());
    if (words[0] == "help") {
        if (words.size() == 1) {
            PrintProgramHelp(std::cout);
            return 0;
        }
        if (words.size() > 2) {
            return Usage("help: unexpected " + Quote(words[2]) + " (usage: help [COMMAND])");
        }
        return PrintCommandHelp(words[1], std::cout) ? 0 : Usage(Quote(words[1]) + " is not a command (olvbusctl --help lists them)");
    }
    if (words.size() == 2 && (words[1] == "--help" || words[1] == "-h")) {
        if (PrintCommandHelp(words[0], std::cout)) {
            return 0;
        }
    }

    std::vector<Line> lines;
    std::string scriptName;
    if (words[0] == "run") {
        if (words.size() != 2) {
            return Usage(words.size() < 2 ? "run: missing SCRIPT (usage: run SCRIPT|-)"
                                          : "run: unexpected " + Quote(words[2]) + " (usage: run SCRIPT|-)");
        }
        if (words[1] == "-") {
            scriptName = "stdin";
            if (!ReadScript(std::cin, scriptName, lines, error)) {
                return ScriptError(error);
            }
        } else {
            scriptName = words[1];
            std::error_code code;
            if (std::filesystem::is_directory(scriptName, code)) {
                return Usage("cannot read script " + Quote(scriptName) + ": it is a directory");
            }
            std::ifstream file(scriptName, std::ios::binary);
            if (!file) {
                return Usage("cannot read script " + Quote(scriptName) + ": " +
                             (std::filesystem::exists(scriptName, code) ? "permission denied" : "no such file"));
            }
            if (!ReadScript(file, scriptName, lines, error)) {
                return ScriptError(error);
            }
        }
    } else {
        std::vector<std::string> command;
        for (std::size_t i = 0; i <= words.size(); ++i) {
            if (i < words.size() && words[i] != ";") {
                command.push_back(words[i]);
                continue;
            }
            if (command.empty()) {
                return Usage("';' with no command before it");
            }
            Line line;
            error = ParseCommand(command, line.command);
            if (!error.empty()) {
                return Usage(error);
            }
            lines.push_back(std::move(line));
            command.clear();
        }
    }

#ifdef _WIN32
    if (!options.sim.empty() || !options.vcd.empty() || options.timingColumns > 0) {
        return Usage("--sim, --vcd and --timing belong to the simulated PC; olvbus.dll drives a real port");
    }
#else
    for (const auto& [variable, value] : options.sim) {
        if (variable == "OLVBUS_SIM_VCD") {
            options.vcd = value;
        } else {
            SetVariable(variable, value);
        }
    }
    std::string waveform = options.vcd;
    TemporaryFile temporary;
    if (waveform.empty() && options.timingColumns > 0) {
        const char* inherited = std::getenv("OLVBUS_SIM_VCD");
        if (inherited != nullptr && *inherited != '\0') {
            waveform = inherited;
        } else {
            waveform = TemporaryWaveformPath();
            temporary.path = waveform;
        }
    }
    if (!waveform.empty()) {
        // The library would only warn and go on without a waveform.
        std::ofstream probe(waveform, std::ios::binary | std::ios::trunc);
        if (!probe) {
            return Usage("--vcd: cannot create " + Quote(waveform));
        }
        SetVariable("OLVBUS_SIM_VCD", waveform);
    }
#endif

    LoadedLibrary library;
    if (!library.Load(error)) {
        std::cerr << "olvbusctl: " << error << '\n';
        return kFailureStatus;
    }
    Session session;
    session.api = &library.Api();
    session.out = &std::cout;
    int status = 0;
    for (const Line& line : lines) {
        const std::string failure = RunCommand(line.command, session);
        if (!failure.empty()) {
            std::cout.flush();
            if (line.number > 0) {
                std::cerr << scriptName << ':' << line.number << ": " << failure << '\n';
            } else {
                std::cerr << "olvbusctl: " << failure << '\n';
            }
            status = kFailureStatus;
            break;
        }
    }
    std::cout.flush();
    library.Unload();

#ifndef _WIN32
    if (options.timingColumns > 0) {
        std::ifstream vcd(waveform, std::ios::binary);
        TimingLabels labels;
        labels.selectedBase = session.selectedBase != 0 ? session.selectedBase : 0x378;
        labels.pinLabel = session.pinLabel;
        std::cout << '\n';
        if (!vcd || !DrawTimingDiagram(vcd, options.timingColumns, labels, std::cout, error)) {
            std::cerr << "olvbusctl: --timing: " << (vcd ? error : "cannot read the waveform " + Quote(waveform))
                      << '\n';
            status = kFailureStatus;
        }
        vcd.close();
    }
#endif
    return status;
}

}  // namespace
}  // namespace olvbusctl

int main(int argc, char** argv)
{
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i) {
        args.emplace_back(argv[i]);
    }
    try {
        return olvbusctl::Main(args);
    } catch (const std::exception& e) {
        std::cerr << "olvbusctl: " << e.what() << '\n';
        return 1;
    }
}
