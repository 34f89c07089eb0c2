// OLVBUS_SIM_* environment variables:
//
//   OLVBUS_SIM_OS            nt (default) | 9x
//   OLVBUS_SIM_DRIVER        installed (default) | missing
//   OLVBUS_SIM_LPT_HELD      port numbers another program holds open, e.g. "1" or "1,3"
//   OLVBUS_SIM_LPT_ABSENT    port numbers whose LPT file does not exist
//   OLVBUS_SIM_PDF_HANDLER   default value of HKEY_CLASSES_ROOT\.pdf (unset: no key)
//   OLVBUS_SIM_NOTES         present (default) | missing: the installation notes
//   OLVBUS_SIM_FAIL          driver requests the system fails: "all", a count "3",
//                            optionally for one request ":data", ":status", ":control",
//                            ":get_register", ":set_register", ":peek", ":poke"
//   OLVBUS_SIM_MESSAGEBOX    echo (default: print boxes on stderr) | quiet
//   OLVBUS_SIM_DUT           a device under test on the DUT bus (unset: none), e.g.
//                            "wr=1-,rd=14-,addr=16+,cs=17-,busy=11+": signal=connector
//                            pin, + active high or - active low; wr, rd, addr required.
//                            Further keys: busypolls=N (BUSY active for N status reads
//                            before each phase), pulse=M (BUSY pulses: inactive for M
//                            reads, then active for busypolls reads, at least 1; only
//                            edge sync waits for the pulse), lpt=1|2|3 (default 1).
//                            See sim/dut_model.h.
//   OLVBUS_SIM_DEBUGPRINT    file to write OlvexPin's debug-print records to at unload
//   OLVBUS_SIM_VCD           file to write the waveform of every port access to
//                            (VCD, opens in GTKWave); written while the library runs
//                            and complete at unload
#include <cstdlib>
#include <sstream>

#include "common/olvexpin_contract.h"
#include "sim/simulated_pc.h"

namespace olvbus::sim {
namespace {

struct RequestName {
    const char* name;
    std::uint32_t code;
};
constexpr RequestName kRequestNames[] = {
    {"data", IOCTL_OLVEXPINXA_DATA},
    {"status", IOCTL_OLVEXPINXA_STATUS},
    {"control", IOCTL_OLVEXPINXA_CONTROL},
    {"get_register", IOCTL_OLVEXPINXA_GET_REGISTER},
    {"set_register", IOCTL_OLVEXPINXA_SET_REGISTER},
    {"peek", IOCTL_OLVEXPINXA_PEEK},
    {"poke", IOCTL_OLVEXPINXA_POKE},
};

bool ParsePorts(const std::string& text, std::set<int>& ports)
{
    std::stringstream list(text);
    std::string item;
    std::set<int> parsed;
    while (std::getline(list, item, ',')) {
        if (item != "1" && item != "2" && item != "3") {
            return false;
        }
        parsed.insert(item[0] - '0');
    }
    ports = parsed;
    return true;
}

bool ParseFailure(const std::string& text, RequestFailure& failure)
{
    RequestFailure parsed;
    const auto colon = text.find(':');
    const std::string count = text.substr(0, colon);
    if (count == "all") {
        parsed.remaining = -1;
    } else {
        if (count.empty() || count.size() > 9 || count.find_first_not_of("0123456789") != std::string::npos) {
            return false;
        }
        parsed.remaining = std::stoll(count);
    }
    if (colon != std::string::npos) {
        const std::string name = text.substr(colon + 1);
        bool known = false;
        for (const RequestName& request : kRequestNames) {
            if (name == request.name) {
                parsed.code = request.code;
                known = true;
            }
        }
        if (!known) {
            return false;
        }
    }
    failure = parsed;
    return true;
}

}  // namespace

SimSettings ReadSimSettings(const std::function<const char*(const char*)>& getVariable,
                            std::vector<std::string>& warnings)
{
    SimSettings settings;
    auto choice = [&](const char* name, const char* a, const char* b, bool& isB) {
        const char* value = getVariable(name);
        if (value == nullptr) {
            return;
        }
        if (std::string(value) == a) {
            isB = false;
        } else if (std::string(value) == b) {
            isB = true;
        } else {
            warnings.push_back(std::string(name) + "=" + value + ": expected " + a + " or " + b);
        }
    };

    bool win9x = false;
    choice("OLVBUS_SIM_OS", "nt", "9x", win9x);
    settings.os.family = win9x ? OsFamily::kWin9x : OsFamily::kNt;

    bool driverMissing = false;
    choice("OLVBUS_SIM_DRIVER", "installed", "missing", driverMissing);
    settings.os.driverInstalled = !driverMissing;

    bool notesMissing = false;
    choice("OLVBUS_SIM_NOTES", "present", "missing", notesMissing);
    settings.os.notesPresent = !notesMissing;

    bool quiet = false;
    choice("OLVBUS_SIM_MESSAGEBOX", "echo", "quiet", quiet);
    settings.echoMessageBoxes = !quiet;

    if (const char* held = getVariable("OLVBUS_SIM_LPT_HELD")) {
        if (!ParsePorts(held, settings.os.heldPorts)) {
            warnings.push_back(std::string("OLVBUS_SIM_LPT_HELD=") + held + ": expected port numbers 1 to 3, comma-separated");
        }
    }
    if (const char* absent = getVariable("OLVBUS_SIM_LPT_ABSENT")) {
        if (!ParsePorts(absent, settings.os.absentPorts)) {
            warnings.push_back(std::string("OLVBUS_SIM_LPT_ABSENT=") + absent + ": expected port numbers 1 to 3, comma-separated");
        }
    }
    if (const char* handler = getVariable("OLVBUS_SIM_PDF_HANDLER")) {
        settings.os.pdfHandler = handler;
    }
    if (const char* fail = getVariable("OLVBUS_SIM_FAIL")) {
        if (!ParseFailure(fail, settings.os.failRequests)) {
            warnings.push_back(std::string("OLVBUS_SIM_FAIL=") + fail +
                               ": expected all or a count, optionally :data, :status, :control, "
                               ":get_register, :set_register, :peek or :poke");
        }
    }
    if (const char* dut = getVariable("OLVBUS_SIM_DUT")) {
        settings.dut = dut;
    }
    if (const char* records = getVariable("OLVBUS_SIM_DEBUGPRINT")) {
        settings.debugPrintPath = records;
    }
    if (const char* vcd = getVariable("OLVBUS_SIM_VCD")) {
        settings.vcdPath = vcd;
    }
    return settings;
}

}  // namespace olvbus::sim
