// The olvbus library object: LibraryState plus the logic of every export.
// The exported C functions forward to the one process-wide instance; tests
// build their own instance on a simulated platform.
#ifndef OLVBUS_LIBRARY_H
#define OLVBUS_LIBRARY_H

#include <cstdint>

#include "library/library_state.h"
#include "library/platform.h"
#include "library/port_backends.h"

namespace olvbus {

class Library {
public:
    explicit Library(Platform& platform) : platform_(platform), ports_(platform, state_) {}
    Library(const Library&) = delete;
    Library& operator=(const Library&) = delete;

    // The entry routine's process attach and detach. Attach fails (and the
    // load is refused) only when the system will not say which version it is.
    bool ProcessAttach();
    void ProcessDetach();

    // Version
    const char* Get_OLVBUS_DLL_Version() const;

    // Call trace
    void Trace_Begin();
    void Trace_End();
    const char* Get_Trace_Buffer() const;

    // Port selection
    std::int32_t Select_LPT_123(std::int32_t portid);

    // Data, data-enable, status and control registers
    std::int32_t Get_Data();
    void Set_Data(std::int32_t value);
    std::int32_t Get_Data_Enable() const;
    void Set_Data_Enable(std::int32_t enable);
    std::int32_t Get_Data_Enable_Mask() const;
    void Set_Data_Enable_Mask(std::int32_t mask);
    std::int32_t Get_Status();
    std::int32_t Get_Control() const;
    void Set_Control(std::int32_t value);

    LibraryState& State() { return state_; }
    const LibraryState& State() const { return state_; }
    PortBackEnds& Ports() { return ports_; }

private:
    bool OpenRequiredDriver();
    bool OpenDocument(const char* fileName);
    bool PdfHandlerRegistered();
    bool PortOpen() const { return state_.portBase != 0; }

    Platform& platform_;
    LibraryState state_;
    PortBackEnds ports_;
};

}  // namespace olvbus

#endif  // OLVBUS_LIBRARY_H
