#include "sim/waveform_recorder.h"

#include <fstream>
#include <vector>

namespace olvbus::sim {
namespace {

enum class Source {
    kPin,          // level at a connector pin
    kDataLines,    // pins 2-9 as a byte
    kPcDrives,     // the PC drives the data lines
    kAsserted,     // a DUT strobe or BUSY is at its active level
    kAccessAddress,
    kAccessValue,
    kAccessOp,
};

struct Signal {
    std::string scope;
    std::string name;
    int width;
    Source source;
    int pin = 0;
    DutSignal wiring{};
    std::string id;
    std::uint32_t last = 0;
};

// Short printable identifiers, as VCD wants them: '!', '"', ... then two characters.
std::string Identifier(std::size_t index)
{
    constexpr int kFirst = 33;
    constexpr int kCount = 94;
    std::string id;
    do {
        id.push_back(static_cast<char>(kFirst + index % kCount));
        index /= kCount;
    } while (index > 0);
    return id;
}

std::uint32_t OpCode(AccessKind kind)
{
    switch (kind) {
    case AccessKind::kReadByte: return 0;
    case AccessKind::kWriteByte: return 1;
    case AccessKind::kReadWord: return 2;
    case AccessKind::kWriteWord: return 3;
    }
    return 0;
}

}  // namespace

struct WaveformRecorder::Recording {
    std::unique_ptr<std::ostream> out;
    ParallelPort* port = nullptr;
    std::vector<Signal> signals;
    std::uint64_t step = 0;
    bool stopped = false;

    std::uint32_t Value(const Signal& s, const PortAccessRecord* access) const
    {
        switch (s.source) {
        case Source::kPin: return port->PinLevel(s.pin) ? 1 : 0;
        case Source::kDataLines: return port->DataLines();
        case Source::kPcDrives: return port->PcDrivesData() ? 1 : 0;
        case Source::kAsserted: return SignalAsserted(*port, s.wiring) ? 1 : 0;
        case Source::kAccessAddress: return access ? (access->address & 0xFFFF) : 0;
        case Source::kAccessValue: return access ? access->value : 0;
        case Source::kAccessOp: return access ? OpCode(access->kind) : 0;
        }
        return 0;
    }

    void Emit(const Signal& s, std::uint32_t value)
    {
        if (s.width == 1) {
            *out << (value ? '1' : '0') << s.id << '\n';
            return;
        }
        std::string bits;
        for (int bit = s.width - 1; bit >= 0; --bit) {
            bits.push_back(((value >> bit) & 1) ? '1' : '0');
        }
        *out << 'b' << bits << ' ' << s.id << '\n';
    }

    void Header()
    {
        *out << "$version olvbus simulated PC $end\n"
                "$comment one time step per port access; io.op 0 = read byte, 1 = write byte, "
                "2 = read word, 3 = write word $end\n"
                "$timescale 1us $end\n"
                "$scope module pc $end\n";
        std::string open;
        for (const Signal& s : signals) {
            if (s.scope != open) {
                if (!open.empty()) {
                    *out << "$upscope $end\n";
                }
                *out << "$scope module " << s.scope << " $end\n";
                open = s.scope;
            }
            *out << "$var wire " << s.width << ' ' << s.id << ' ' << s.name;
            if (s.width > 1) {
                *out << " [" << s.width - 1 << ":0]";
            }
            *out << " $end\n";
        }
        *out << "$upscope $end\n$upscope $end\n$enddefinitions $end\n#0\n$dumpvars\n";
        for (Signal& s : signals) {
            s.last = Value(s, nullptr);
            Emit(s, s.last);
        }
        *out << "$end\n";
    }

    void Sample(const PortAccessRecord& access)
    {
        if (stopped) {
            return;
        }
        ++step;
        bool stamped = false;
        for (Signal& s : signals) {
            const std::uint32_t value = Value(s, &access);
            if (value == s.last) {
                continue;
            }
            if (!stamped) {
                *out << '#' << step << '\n';
                stamped = true;
            }
            s.last = value;
            Emit(s, value);
        }
    }
};

WaveformRecorder::WaveformRecorder(IoSpace& io, std::unique_ptr<std::ostream> out, int lpt,
                                   const std::optional<DutConfig>& wiring)
    : recording_(std::make_shared<Recording>())
{
    Recording& r = *recording_;
    r.out = std::move(out);
    r.port = &io.Port(lpt >= 1 && lpt <= 3 ? lpt - 1 : 0);

    auto add = [&](const char* scope, std::string name, int width, Source source, int pin = 0,
                   DutSignal dutWiring = {}) {
        Signal s{scope, std::move(name), width, source, pin, dutWiring, Identifier(r.signals.size()), 0};
        r.signals.push_back(std::move(s));
    };
    add("io", "address", 16, Source::kAccessAddress);
    add("io", "value", 16, Source::kAccessValue);
    add("io", "op", 2, Source::kAccessOp);
    for (int pin : {1, 14, 16, 17, 10, 11, 12, 13, 15}) {
        add("connector", "pin" + std::to_string(pin), 1, Source::kPin, pin);
    }
    add("connector", "data", 8, Source::kDataLines);
    add("connector", "pc_drives_data", 1, Source::kPcDrives);
    if (wiring) {
        add("dut", "WR", 1, Source::kAsserted, 0, wiring->wr);
        add("dut", "RD", 1, Source::kAsserted, 0, wiring->rd);
        add("dut", "ADDR", 1, Source::kAsserted, 0, wiring->addr);
        if (wiring->cs.Wired()) {
            add("dut", "CS", 1, Source::kAsserted, 0, wiring->cs);
        }
        if (wiring->busy.Wired()) {
            add("dut", "BUSY", 1, Source::kAsserted, 0, wiring->busy);
        }
        add("dut", "AD", 8, Source::kDataLines);
    }
    r.Header();

    // The I/O space keeps its observers for good: the recording is shared
    // with it and merely stops when the recorder goes.
    std::shared_ptr<Recording> shared = recording_;
    io.AddObserver([shared](const PortAccessRecord& access) { shared->Sample(access); });
}

WaveformRecorder::~WaveformRecorder()
{
    // A closing time stamp gives the last values their length: accesses that
    // changed nothing at the end of the session still count in the file.
    if (recording_->out && !recording_->stopped) {
        *recording_->out << '#' << recording_->step + 1 << '\n';
    }
    Flush();
    recording_->stopped = true;
    recording_->out.reset();
}

std::unique_ptr<WaveformRecorder> WaveformRecorder::ToFile(IoSpace& io, const std::string& path,
                                                           int lpt,
                                                           const std::optional<DutConfig>& wiring)
{
    auto file = std::make_unique<std::ofstream>(path, std::ios::binary | std::ios::trunc);
    if (!*file) {
        return nullptr;
    }
    return std::make_unique<WaveformRecorder>(io, std::move(file), lpt, wiring);
}

void WaveformRecorder::Flush()
{
    if (recording_->out) {
        recording_->out->flush();
    }
}

std::uint64_t WaveformRecorder::Steps() const
{
    return recording_->step;
}

}  // namespace olvbus::sim
