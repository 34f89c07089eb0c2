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

}  // extern "C"
