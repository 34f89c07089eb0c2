// The exported C functions: each forwards to the process's library object.
#include "library/olvbus.h"
#include "library/process_library.h"

using olvbus::ProcessLibrary;

extern "C" {

OLVBUS_API const char* OLVBUS_CALL Get_OLVBUS_DLL_Version(void)
{
    return ProcessLibrary().Get_OLVBUS_DLL_Version();
}

OLVBUS_API void OLVBUS_CALL Trace_Begin(void) { ProcessLibrary().Trace_Begin(); }
OLVBUS_API void OLVBUS_CALL Trace_End(void) { ProcessLibrary().Trace_End(); }
OLVBUS_API const char* OLVBUS_CALL Get_Trace_Buffer(void) { return ProcessLibrary().Get_Trace_Buffer(); }

OLVBUS_API int32_t OLVBUS_CALL Select_LPT_123(int32_t portid)
{
    return ProcessLibrary().Select_LPT_123(portid);
}

OLVBUS_API int32_t OLVBUS_CALL Get_Data(void) { return ProcessLibrary().Get_Data(); }
OLVBUS_API void OLVBUS_CALL Set_Data(int32_t value) { ProcessLibrary().Set_Data(value); }
OLVBUS_API int32_t OLVBUS_CALL Get_Data_Enable(void) { return ProcessLibrary().Get_Data_Enable(); }
OLVBUS_API void OLVBUS_CALL Set_Data_Enable(int32_t enable) { ProcessLibrary().Set_Data_Enable(enable); }
OLVBUS_API int32_t OLVBUS_CALL Get_Data_Enable_Mask(void) { return ProcessLibrary().Get_Data_Enable_Mask(); }
OLVBUS_API void OLVBUS_CALL Set_Data_Enable_Mask(int32_t mask) { ProcessLibrary().Set_Data_Enable_Mask(mask); }
OLVBUS_API int32_t OLVBUS_CALL Get_Status(void) { return ProcessLibrary().Get_Status(); }
OLVBUS_API int32_t OLVBUS_CALL Get_Control(void) { return ProcessLibrary().Get_Control(); }
OLVBUS_API void OLVBUS_CALL Set_Control(int32_t value) { ProcessLibrary().Set_Control(value); }

OLVBUS_API void OLVBUS_CALL DirectWritePrinterPin(int32_t pin, int32_t level)
{
    ProcessLibrary().DirectWritePrinterPin(pin, level);
}
OLVBUS_API int32_t OLVBUS_CALL DirectReadPrinterPin(int32_t pin) { return ProcessLibrary().DirectReadPrinterPin(pin); }

OLVBUS_API int32_t OLVBUS_CALL Get_Register(int32_t offset) { return ProcessLibrary().Get_Register(offset); }
OLVBUS_API void OLVBUS_CALL Set_Register(int32_t offset, int32_t value) { ProcessLibrary().Set_Register(offset, value); }
OLVBUS_API int32_t OLVBUS_CALL Peek(int32_t port) { return ProcessLibrary().Peek(port); }
OLVBUS_API void OLVBUS_CALL Poke(int32_t port, int32_t value) { ProcessLibrary().Poke(port, value); }

OLVBUS_API int32_t OLVBUS_CALL Get_DUT_BUSY_MASK(void) { return ProcessLibrary().Get_DUT_BUSY_MASK(); }
OLVBUS_API int32_t OLVBUS_CALL Get_DUT_BUSY_STATE_1(void) { return ProcessLibrary().Get_DUT_BUSY_STATE_1(); }
OLVBUS_API int32_t OLVBUS_CALL Get_DUT_BUSY_STATE_2(void) { return ProcessLibrary().Get_DUT_BUSY_STATE_2(); }

OLVBUS_API int32_t OLVBUS_CALL Get_DUT_Control_Addr_Idle_OR(void) { return ProcessLibrary().Get_DUT_Control_Addr_Idle_OR(); }
OLVBUS_API int32_t OLVBUS_CALL Get_DUT_Control_Addr_Idle_AND(void) { return ProcessLibrary().Get_DUT_Control_Addr_Idle_AND(); }
OLVBUS_API int32_t OLVBUS_CALL Get_DUT_Control_Addr_Wr_OR(void) { return ProcessLibrary().Get_DUT_Control_Addr_Wr_OR(); }
OLVBUS_API int32_t OLVBUS_CALL Get_DUT_Control_Addr_Wr_AND(void) { return ProcessLibrary().Get_DUT_Control_Addr_Wr_AND(); }
OLVBUS_API int32_t OLVBUS_CALL Get_DUT_Control_Data_Idle_OR(void) { return ProcessLibrary().Get_DUT_Control_Data_Idle_OR(); }
OLVBUS_API int32_t OLVBUS_CALL Get_DUT_Control_Data_Idle_AND(void) { return ProcessLibrary().Get_DUT_Control_Data_Idle_AND(); }
OLVBUS_API int32_t OLVBUS_CALL Get_DUT_Control_Data_Wr_OR(void) { return ProcessLibrary().Get_DUT_Control_Data_Wr_OR(); }
OLVBUS_API int32_t OLVBUS_CALL Get_DUT_Control_Data_Wr_AND(void) { return ProcessLibrary().Get_DUT_Control_Data_Wr_AND(); }
OLVBUS_API int32_t OLVBUS_CALL Get_DUT_Control_Data_Rd_OR(void) { return ProcessLibrary().Get_DUT_Control_Data_Rd_OR(); }
OLVBUS_API int32_t OLVBUS_CALL Get_DUT_Control_Data_Rd_AND(void) { return ProcessLibrary().Get_DUT_Control_Data_Rd_AND(); }

OLVBUS_API olvbus_bool OLVBUS_CALL Set_DUT_BUSY_Pin(int32_t pin, olvbus_bool busyActiveHigh)
{
    return ProcessLibrary().Set_DUT_BUSY_Pin(pin, busyActiveHigh);
}
OLVBUS_API olvbus_bool OLVBUS_CALL Set_DUT_BUSY_LevelSync(void) { return ProcessLibrary().Set_DUT_BUSY_LevelSync(); }
OLVBUS_API olvbus_bool OLVBUS_CALL Set_DUT_BUSY_EdgeSync(void) { return ProcessLibrary().Set_DUT_BUSY_EdgeSync(); }

OLVBUS_API olvbus_bool OLVBUS_CALL Set_DUT_WR_Pin(int32_t pin, olvbus_bool activeHigh)
{
    return ProcessLibrary().Set_DUT_WR_Pin(pin, activeHigh);
}
OLVBUS_API olvbus_bool OLVBUS_CALL Set_DUT_RD_Pin(int32_t pin, olvbus_bool activeHigh)
{
    return ProcessLibrary().Set_DUT_RD_Pin(pin, activeHigh);
}
OLVBUS_API olvbus_bool OLVBUS_CALL Set_DUT_ADDR_Pin(int32_t pin, olvbus_bool activeHigh)
{
    return ProcessLibrary().Set_DUT_ADDR_Pin(pin, activeHigh);
}
OLVBUS_API olvbus_bool OLVBUS_CALL Set_DUT_CS_Pin(int32_t pin, olvbus_bool activeHigh)
{
    return ProcessLibrary().Set_DUT_CS_Pin(pin, activeHigh);
}

OLVBUS_API void OLVBUS_CALL Set_DUT_BUSY_Timeout(int32_t timeout) { ProcessLibrary().Set_DUT_BUSY_Timeout(timeout); }
OLVBUS_API int32_t OLVBUS_CALL Get_DUT_BUSY_Timeout(void) { return ProcessLibrary().Get_DUT_BUSY_Timeout(); }
OLVBUS_API void OLVBUS_CALL Clear_DUT_BUSY_Highest_Count(void) { ProcessLibrary().Clear_DUT_BUSY_Highest_Count(); }
OLVBUS_API int32_t OLVBUS_CALL Get_DUT_BUSY_Highest_Count(void) { return ProcessLibrary().Get_DUT_BUSY_Highest_Count(); }

OLVBUS_API olvbus_bool OLVBUS_CALL Try_DUT_Register_Write(int32_t address, int32_t data)
{
    return ProcessLibrary().Try_DUT_Register_Write(address, data);
}
OLVBUS_API olvbus_bool OLVBUS_CALL Try_DUT_Register_Read(int32_t address, int32_t* value)
{
    return ProcessLibrary().Try_DUT_Register_Read(address, value);
}

}  // extern "C"
