// The waveform recorder: every port access of the simulated PC, in order,
// with the connector's pin levels after it, written as a Value Change Dump
// (VCD) that GTKWave opens. One time step is one port access.
//
// Scopes: pc.io (the access: address, value, op), pc.connector (pins 1 and
// 10-17, the data lines as data[7:0], and who drives them), and, when a
// device is wired, pc.dut (WR, RD, ADDR, CS and BUSY as 1 = asserted, and the
// multiplexed bus AD[7:0]).
#ifndef OLVBUS_SIM_WAVEFORM_RECORDER_H
#define OLVBUS_SIM_WAVEFORM_RECORDER_H

#include <cstdint>
#include <memory>
#include <optional>
#include <ostream>
#include <string>

#include "sim/dut_model.h"
#include "sim/io_space.h"

namespace olvbus::sim {

class WaveformRecorder {
public:
    // Watches the connector of LPT `lpt` (1 to 3) and writes to `out` as the
    // accesses happen. `wiring` names the dut signals.
    WaveformRecorder(IoSpace& io, std::unique_ptr<std::ostream> out, int lpt,
                     const std::optional<DutConfig>& wiring);
    // Stops recording and flushes; the I/O space may outlive the recorder.
    ~WaveformRecorder();
    WaveformRecorder(const WaveformRecorder&) = delete;
    WaveformRecorder& operator=(const WaveformRecorder&) = delete;

    // Nothing when the file cannot be created.
    static std::unique_ptr<WaveformRecorder> ToFile(IoSpace& io, const std::string& path, int lpt,
                                                    const std::optional<DutConfig>& wiring);

    void Flush();
    std::uint64_t Steps() const;

private:
    struct Recording;
    std::shared_ptr<Recording> recording_;
};

}  // namespace olvbus::sim

#endif  // OLVBUS_SIM_WAVEFORM_RECORDER_H
