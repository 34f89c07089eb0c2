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

    // Printer pins by connector pin number and electrical level
    void DirectWritePrinterPin(std::int32_t pin, std::int32_t level);
    std::int32_t DirectReadPrinterPin(std::int32_t pin);

    // Register offsets from portBase, and any I/O port
    std::int32_t Get_Register(std::int32_t offset);
    void Set_Register(std::int32_t offset, std::int32_t value);
    std::int32_t Peek(std::int32_t port);
    void Poke(std::int32_t port, std::int32_t value);

    // DUT BUSY handshake settings. Truth-value arguments arrive as 32-bit
    // values of which only the low byte counts.
    std::int32_t Get_DUT_BUSY_MASK() const;
    std::int32_t Get_DUT_BUSY_STATE_1() const;
    std::int32_t Get_DUT_BUSY_STATE_2() const;
    bool Set_DUT_BUSY_Pin(std::int32_t pin, std::int32_t busyActiveHigh);
    bool Set_DUT_BUSY_LevelSync();
    bool Set_DUT_BUSY_EdgeSync();
    void Set_DUT_BUSY_Timeout(std::int32_t timeout);
    std::int32_t Get_DUT_BUSY_Timeout() const;
    void Clear_DUT_BUSY_Highest_Count();
    std::int32_t Get_DUT_BUSY_Highest_Count() const;

    // DUT strobe pins and the control masks of the bus states
    std::int32_t Get_DUT_Control_Addr_Idle_OR() const;
    std::int32_t Get_DUT_Control_Addr_Idle_AND() const;
    std::int32_t Get_DUT_Control_Addr_Wr_OR() const;
    std::int32_t Get_DUT_Control_Addr_Wr_AND() const;
    std::int32_t Get_DUT_Control_Data_Idle_OR() const;
    std::int32_t Get_DUT_Control_Data_Idle_AND() const;
    std::int32_t Get_DUT_Control_Data_Wr_OR() const;
    std::int32_t Get_DUT_Control_Data_Wr_AND() const;
    std::int32_t Get_DUT_Control_Data_Rd_OR() const;
    std::int32_t Get_DUT_Control_Data_Rd_AND() const;
    bool Set_DUT_WR_Pin(std::int32_t pin, std::int32_t activeHigh);
    bool Set_DUT_RD_Pin(std::int32_t pin, std::int32_t activeHigh);
    bool Set_DUT_ADDR_Pin(std::int32_t pin, std::int32_t activeHigh);
    bool Set_DUT_CS_Pin(std::int32_t pin, std::int32_t activeHigh);

    // DUT register cycles. A null value runs the read cycle all the same
    // and stores the byte nowhere but dataShadow.
    bool Try_DUT_Register_Write(std::int32_t address, std::int32_t data);
    bool Try_DUT_Register_Read(std::int32_t address, std::int32_t* value);

    // Opens the driver device into driverHandle, or tells the user and opens
    // the installation notes. Used by port selection, Peek and Poke.
    bool OpenRequiredDriver();

    LibraryState& State() { return state_; }
    const LibraryState& State() const { return state_; }
    PortBackEnds& Ports() { return ports_; }

private:
    enum class CycleEnd { kCompleted, kTimedOut, kRequestFailed };
    struct CycleOutcome {
        CycleEnd end;
        std::uint8_t byteRead;  // read cycle, completed or request failed
    };
    bool SetStrobePin(Strobe strobe, std::int32_t pin, std::int32_t activeHigh);
    void RecomputeControlMasks();
    CycleOutcome RunRegisterCycle(bool read, std::int32_t address, std::int32_t data,
                                  std::uint8_t& reply);
    bool OpenDocument(const char* fileName);
    bool PdfHandlerRegistered();
    bool PortOpen() const { return state_.portBase != 0; }

    Platform& platform_;
    LibraryState state_;
    PortBackEnds ports_;
    // Each cycle keeps its own reply byte for the whole process: a status
    // request that fails leaves the previous poll's value in it.
    std::uint8_t writeCycleReply_ = 0;
    std::uint8_t readCycleReply_ = 0;
};

}  // namespace olvbus

#endif  // OLVBUS_LIBRARY_H
