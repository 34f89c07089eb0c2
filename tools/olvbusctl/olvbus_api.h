// The library's 46 exports as a table of function pointers, filled when the
// library is loaded at run time. The tool loads the library itself, after it
// has put the simulated PC's settings into the environment, because the host
// library configures its simulated PC from the environment when it loads; and
// it unloads it before drawing the timing diagram, because the waveform file
// is complete only once the library is gone. The pointer types come from
// olvbus.h, so the calling convention (stdcall on 32-bit Windows) is the
// header's own.
#ifndef OLVBUSCTL_OLVBUS_API_H
#define OLVBUSCTL_OLVBUS_API_H

#include <string>

#include "olvbus.h"

#define OLVBUSCTL_EXPORTS(X)                                                                    \
    X(Get_OLVBUS_DLL_Version) X(Trace_Begin) X(Trace_End) X(Get_Trace_Buffer) X(Select_LPT_123) \
    X(Get_Data) X(Set_Data) X(Get_Data_Enable) X(Set_Data_Enable) X(Get_Data_Enable_Mask)       \
    X(Set_Data_Enable_Mask) X(Get_Status) X(Get_Control) X(Set_Control)                         \
    X(DirectWritePrinterPin) X(DirectReadPrinterPin) X(Get_Register) X(Set_Register) X(Peek)    \
    X(Poke) X(Get_DUT_BUSY_MASK) X(Get_DUT_BUSY_STATE_1) X(Get_DUT_BUSY_STATE_2)                \
    X(Get_DUT_Control_Addr_Idle_OR) X(Get_DUT_Control_Addr_Idle_AND)                            \
    X(Get_DUT_Control_Addr_Wr_OR) X(Get_DUT_Control_Addr_Wr_AND)                                \
    X(Get_DUT_Control_Data_Idle_OR) X(Get_DUT_Control_Data_Idle_AND)                            \
    X(Get_DUT_Control_Data_Wr_OR) X(Get_DUT_Control_Data_Wr_AND)                                \
    X(Get_DUT_Control_Data_Rd_OR) X(Get_DUT_Control_Data_Rd_AND) X(Set_DUT_BUSY_Pin)            \
    X(Set_DUT_BUSY_LevelSync) X(Set_DUT_BUSY_EdgeSync) X(Set_DUT_WR_Pin) X(Set_DUT_RD_Pin)      \
    X(Set_DUT_ADDR_Pin) X(Set_DUT_CS_Pin) X(Set_DUT_BUSY_Timeout) X(Get_DUT_BUSY_Timeout)       \
    X(Clear_DUT_BUSY_Highest_Count) X(Get_DUT_BUSY_Highest_Count) X(Try_DUT_Register_Write)     \
    X(Try_DUT_Register_Read)

namespace olvbusctl {

struct OlvbusApi {
#define OLVBUSCTL_MEMBER(name) decltype(&::name) name = nullptr;
    OLVBUSCTL_EXPORTS(OLVBUSCTL_MEMBER)
#undef OLVBUSCTL_MEMBER
};

// The loaded library. Unload() ends the library's life in this process (on
// the simulated PC: closes its handles and finishes the waveform file).
class LoadedLibrary {
public:
    LoadedLibrary() = default;
    ~LoadedLibrary() { Unload(); }
    LoadedLibrary(const LoadedLibrary&) = delete;
    LoadedLibrary& operator=(const LoadedLibrary&) = delete;

    // False, with a reason, when the library or one of its exports is missing.
    bool Load(std::string& error);
    void Unload();
    bool Loaded() const { return module_ != nullptr; }
    const OlvbusApi& Api() const { return api_; }

private:
    void* module_ = nullptr;
    OlvbusApi api_;
};

// The file the loader looks for.
const char* LibraryFileName();

}  // namespace olvbusctl

#endif  // OLVBUSCTL_OLVBUS_API_H
