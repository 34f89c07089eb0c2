// A timing diagram for the terminal, drawn from the waveform file the host
// library writes (one time step per port access): the control pins that carry
// the strobes, the BUSY pin, the data lines and who drives them, over the last
// port accesses of the session. For engineers without a waveform viewer.
#ifndef OLVBUSCTL_TIMING_DIAGRAM_H
#define OLVBUSCTL_TIMING_DIAGRAM_H

#include <istream>
#include <ostream>
#include <string>

namespace olvbusctl {

struct TimingLabels {
    int selectedBase = 0x378;  // port accesses are named relative to it
    const std::string* pinLabel = nullptr;  // 18 entries, by connector pin
};

// Reads a waveform and draws its last `columns` distinct port accesses (a run
// of identical accesses, such as a BUSY wait polling the same status, is one
// column with its count). False, with a reason, when the text is not such a
// waveform.
bool DrawTimingDiagram(std::istream& vcd, int columns, const TimingLabels& labels, std::ostream& out,
                       std::string& error);

}  // namespace olvbusctl

#endif  // OLVBUSCTL_TIMING_DIAGRAM_H
