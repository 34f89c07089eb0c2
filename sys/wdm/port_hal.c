/*
 * The driver's port access bound to the HAL: one bus access per call, in
 * program order. On i686 these are HAL.dll's READ_PORT_* and WRITE_PORT_*;
 * on x86_64 the DDK defines them as the processor's in and out instructions.
 * The port number is what the request computed (0x378 plus a 16-bit offset
 * can pass 0xFFFF); the processor decodes its low 16 bits.
 */
#include <ntddk.h>

#include "sys/wdm/wdm_bridge.h"

uint8_t OlvWdmReadPortByte(uint32_t port)
{
    return READ_PORT_UCHAR((PUCHAR)(ULONG_PTR)port);
}

uint16_t OlvWdmReadPortWord(uint32_t port)
{
    return READ_PORT_USHORT((PUSHORT)(ULONG_PTR)port);
}

void OlvWdmWritePortByte(uint32_t port, uint8_t value)
{
    WRITE_PORT_UCHAR((PUCHAR)(ULONG_PTR)port, value);
}

void OlvWdmWritePortWord(uint32_t port, uint16_t value)
{
    WRITE_PORT_USHORT((PUSHORT)(ULONG_PTR)port, value);
}
