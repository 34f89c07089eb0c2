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

/* 15-16: connector pins 1 to 17 by number and electrical level (level
 * non-zero = high); the port's inversions are applied for you. Pins 10, 11,
 * 12, 13 and 15 are inputs and cannot be written. A read of an out-of-range
 * pin returns 0. A control pin reads back the level last written. */
OLVBUS_API void OLVBUS_CALL DirectWritePrinterPin(int32_t pin, int32_t level);
OLVBUS_API int32_t OLVBUS_CALL DirectReadPrinterPin(int32_t pin);

/* 17-18: the register at any offset from the selected port's base. The
 * data and control shadows are not updated. Get_Register returns 0 when the
 * access failed. */
OLVBUS_API int32_t OLVBUS_CALL Get_Register(int32_t offset);
OLVBUS_API void OLVBUS_CALL Set_Register(int32_t offset, int32_t value);

/* 19-20: one byte at any I/O port (low 16 bits of the address); no port
 * selection needed. Peek returns 0 when the driver cannot be opened and 77
 * when its request failed. */
OLVBUS_API int32_t OLVBUS_CALL Peek(int32_t port);
OLVBUS_API void OLVBUS_CALL Poke(int32_t port, int32_t value);

/* 21-23: the BUSY status bit and the two masked status values the waits
 * before each phase of a register cycle look for. */
OLVBUS_API int32_t OLVBUS_CALL Get_DUT_BUSY_MASK(void);
OLVBUS_API int32_t OLVBUS_CALL Get_DUT_BUSY_STATE_1(void);
OLVBUS_API int32_t OLVBUS_CALL Get_DUT_BUSY_STATE_2(void);

/* 24-33: the control-register masks of the five bus states (value AND the
 * AND mask, then OR the OR mask). All 0 until a strobe pin is assigned. */
OLVBUS_API int32_t OLVBUS_CALL Get_DUT_Control_Addr_Idle_OR(void);
OLVBUS_API int32_t OLVBUS_CALL Get_DUT_Control_Addr_Idle_AND(void);
OLVBUS_API int32_t OLVBUS_CALL Get_DUT_Control_Addr_Wr_OR(void);
OLVBUS_API int32_t OLVBUS_CALL Get_DUT_Control_Addr_Wr_AND(void);
OLVBUS_API int32_t OLVBUS_CALL Get_DUT_Control_Data_Idle_OR(void);
OLVBUS_API int32_t OLVBUS_CALL Get_DUT_Control_Data_Idle_AND(void);
OLVBUS_API int32_t OLVBUS_CALL Get_DUT_Control_Data_Wr_OR(void);
OLVBUS_API int32_t OLVBUS_CALL Get_DUT_Control_Data_Wr_AND(void);
OLVBUS_API int32_t OLVBUS_CALL Get_DUT_Control_Data_Rd_OR(void);
OLVBUS_API int32_t OLVBUS_CALL Get_DUT_Control_Data_Rd_AND(void);

/* 34-36: BUSY on status pin 10, 11, 12, 13 or 15; busyActiveHigh non-zero
 * when the DUT holds the pin high while busy. Setting the pin returns to
 * level sync, so choose edge sync afterwards. Another pin returns 0 and
 * leaves no BUSY pin. */
OLVBUS_API olvbus_bool OLVBUS_CALL Set_DUT_BUSY_Pin(int32_t pin, olvbus_bool busyActiveHigh);
OLVBUS_API olvbus_bool OLVBUS_CALL Set_DUT_BUSY_LevelSync(void);
OLVBUS_API olvbus_bool OLVBUS_CALL Set_DUT_BUSY_EdgeSync(void);

/* 37-40: a strobe on control pin 1, 14, 16 or 17; activeHigh non-zero when
 * a high pin asserts it. Another pin returns 0 and unassigns the strobe. */
OLVBUS_API olvbus_bool OLVBUS_CALL Set_DUT_WR_Pin(int32_t pin, olvbus_bool activeHigh);
OLVBUS_API olvbus_bool OLVBUS_CALL Set_DUT_RD_Pin(int32_t pin, olvbus_bool activeHigh);
OLVBUS_API olvbus_bool OLVBUS_CALL Set_DUT_ADDR_Pin(int32_t pin, olvbus_bool activeHigh);
OLVBUS_API olvbus_bool OLVBUS_CALL Set_DUT_CS_Pin(int32_t pin, olvbus_bool activeHigh);

/* 41-44: status polls one register cycle may make in all its waits (0 or
 * below: every cycle times out on its first poll), and the highest poll
 * count a timed-out cycle reached. */
OLVBUS_API void OLVBUS_CALL Set_DUT_BUSY_Timeout(int32_t timeout);
OLVBUS_API int32_t OLVBUS_CALL Get_DUT_BUSY_Timeout(void);
OLVBUS_API void OLVBUS_CALL Clear_DUT_BUSY_Highest_Count(void);
OLVBUS_API int32_t OLVBUS_CALL Get_DUT_BUSY_Highest_Count(void);

/* 45-46: one register cycle on the DUT bus; the low 8 bits of address and
 * data reach the bus. Returns 0 when the BUSY waits ran out of polls or a
 * driver request failed. A read stores the byte (0 to 255) through value
 * only when it returns 1; a null value is allowed and stores nothing. */
OLVBUS_API olvbus_bool OLVBUS_CALL Try_DUT_Register_Write(int32_t address, int32_t data);
OLVBUS_API olvbus_bool OLVBUS_CALL Try_DUT_Register_Read(int32_t address, int32_t* value);

#ifdef __cplusplus
}
#endif

#endif /* OLVBUS_H */
