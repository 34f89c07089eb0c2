/*
 * olvbus: the parallel port and the DUT register bus behind it, for C and C++.
 *
 * Every function uses the platform's standard call convention (stdcall on
 * 32-bit Windows), takes 32-bit integers or pointers, and never fails loudly:
 * failures show in the result, in the call trace and, for a missing driver or
 * a failed driver request, in a message box.
 *
 * Truth values are one byte (olvbus_bool): only the low 8 bits are
 * significant, 1 for true and 0 for false.
 */
#ifndef OLVBUS_H
#define OLVBUS_H

#include <stdint.h>

#if defined(_WIN32) && !defined(_WIN64)
#define OLVBUS_CALL __stdcall
#else
#define OLVBUS_CALL
#endif

#if defined(OLVBUS_BUILDING)
#if defined(_WIN32)
#define OLVBUS_API /* the module definition file names the exports */
#else
#define OLVBUS_API __attribute__((visibility("default")))
#endif
#elif defined(_WIN32)
#define OLVBUS_API __declspec(dllimport)
#else
#define OLVBUS_API
#endif

#ifdef __cplusplus
extern "C" {
#endif

typedef uint8_t olvbus_bool;

/* 1: the build stamp and which back end is in use ("using OlvexPin.sys" or
 * "using out dx,al"). The text is constant; do not free it. */
OLVBUS_API const char* OLVBUS_CALL Get_OLVBUS_DLL_Version(void);

/* 2-4: the call trace. Trace_Begin empties it and starts recording;
 * Trace_End stops recording and keeps the text. Get_Trace_Buffer never
 * returns null; the text stays valid until the next traced call or
 * Trace_Begin, so copy it to keep it. */
OLVBUS_API void OLVBUS_CALL Trace_Begin(void);
OLVBUS_API void OLVBUS_CALL Trace_End(void);
OLVBUS_API const char* OLVBUS_CALL Get_Trace_Buffer(void);

/* 5: portid 1, 2 or 3. Returns the port's base address (0x378, 0x278,
 * 0x3BC) or 0; the reason for a 0 is in the trace. Call it before any
 * register access. */
OLVBUS_API int32_t OLVBUS_CALL Select_LPT_123(int32_t portid);

/* 6-14: the port's registers. Values are written as their low 8 bits.
 * While data enable is non-zero the PC drives the data lines and Get_Data
 * returns the last byte written without reading the port. */
OLVBUS_API int32_t OLVBUS_CALL Get_Data(void);
OLVBUS_API void OLVBUS_CALL Set_Data(int32_t value);
OLVBUS_API int32_t OLVBUS_CALL Get_Data_Enable(void);
OLVBUS_API void OLVBUS_CALL Set_Data_Enable(int32_t enable);
OLVBUS_API int32_t OLVBUS_CALL Get_Data_Enable_Mask(void);
OLVBUS_API void OLVBUS_CALL Set_Data_Enable_Mask(int32_t mask);
OLVBUS_API int32_t OLVBUS_CALL Get_Status(void);
OLVBUS_API int32_t OLVBUS_CALL Get_Control(void);
OLVBUS_API void OLVBUS_CALL Set_Control(int32_t value);

#ifdef __cplusplus
}
#endif

#endif /* OLVBUS_H */
