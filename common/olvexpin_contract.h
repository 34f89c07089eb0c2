/*
 * What olvbus and OlvexPin agree on: the device names, the device control
 * codes and the byte layout of their buffered requests.
 *
 * Compiles unchanged as C (the WDM binding), as freestanding C++ (the
 * driver core) and as hosted C++ (the library and the tests).
 *
 * Request table (METHOD_BUFFERED: one system buffer of max(in, out) bytes,
 * input at its start, output written over it):
 *
 *   code                            in       out        action
 *   IOCTL_OLVEXPINXA_DATA           0 or 1   0 or 1     write, then read, 0x378
 *   IOCTL_OLVEXPINXA_STATUS         0 or 1   0 or 1     write, then read, 0x379
 *   IOCTL_OLVEXPINXA_CONTROL        0 or 1   0 or 1     write, then read, 0x37A
 *   IOCTL_OLVEXPINXA_GET_REGISTER   2        1          read 0x378 + offset
 *   IOCTL_OLVEXPINXA_SET_REGISTER   3        any        write 0x378 + offset
 *   IOCTL_OLVEXPINXA_PEEK           2        1 or 2     read byte or word at a port
 *   IOCTL_OLVEXPINXA_POKE           3 or 4   any        write byte or word at a port
 *   IOCTL_OLVEXPINXA_CLEAR_BUFFER   -        -          zero the memory buffer
 *   IOCTL_OLVEXPINXA_FREE_BUFFER    -        -          release the memory buffer
 *   IOCTL_OLVEXPINXA_BUFFER_LENGTH  -        >= 4       memory buffer length, u32
 *   IOCTL_OLVEXPINXA_READ_BUFFER    -        <= length  start of the memory buffer
 *   IOCTL_OLVEXPINXA_BUFFER_LENGTH_2                    as BUFFER_LENGTH
 *
 * Multi-byte fields are little-endian and assembled byte by byte, so the
 * layout does not depend on the processor's byte order.
 */
#ifndef OLVEXPIN_CONTRACT_H
#define OLVEXPIN_CONTRACT_H

#include <stdint.h>

/* The platform's CTL_CODE rule: FILE_DEVICE_UNKNOWN, FILE_ANY_ACCESS, METHOD_BUFFERED. */
#define OLVEXPIN_CTL_CODE(function) ((uint32_t)((0x22u << 16) | (0u << 14) | ((function) << 2) | 0u))

#define IOCTL_OLVEXPINXA_DATA            OLVEXPIN_CTL_CODE(0x100u)
#define IOCTL_OLVEXPINXA_STATUS          OLVEXPIN_CTL_CODE(0x101u)
#define IOCTL_OLVEXPINXA_CONTROL         OLVEXPIN_CTL_CODE(0x102u)
#define IOCTL_OLVEXPINXA_GET_REGISTER    OLVEXPIN_CTL_CODE(0x1F0u)
#define IOCTL_OLVEXPINXA_SET_REGISTER    OLVEXPIN_CTL_CODE(0x1F1u)
#define IOCTL_OLVEXPINXA_PEEK            OLVEXPIN_CTL_CODE(0x1F8u)
#define IOCTL_OLVEXPINXA_POKE            OLVEXPIN_CTL_CODE(0x1F9u)
#define IOCTL_OLVEXPINXA_CLEAR_BUFFER    OLVEXPIN_CTL_CODE(0x801u)
#define IOCTL_OLVEXPINXA_FREE_BUFFER     OLVEXPIN_CTL_CODE(0x802u)
#define IOCTL_OLVEXPINXA_BUFFER_LENGTH   OLVEXPIN_CTL_CODE(0x803u)
#define IOCTL_OLVEXPINXA_READ_BUFFER     OLVEXPIN_CTL_CODE(0x804u)
#define IOCTL_OLVEXPINXA_BUFFER_LENGTH_2 OLVEXPIN_CTL_CODE(0x805u)

/* The driver never learns which port the library selected: its register
 * requests always address the first parallel port. */
#define OLVEXPIN_PORT_BASE    0x378u
#define OLVEXPIN_DATA_PORT    (OLVEXPIN_PORT_BASE + 0u)
#define OLVEXPIN_STATUS_PORT  (OLVEXPIN_PORT_BASE + 1u)
#define OLVEXPIN_CONTROL_PORT (OLVEXPIN_PORT_BASE + 2u)

/* Status values the driver completes requests with. */
#define OLVEXPIN_STATUS_SUCCESS                0x00000000u
#define OLVEXPIN_STATUS_INVALID_PARAMETER      0xC000000Du
#define OLVEXPIN_STATUS_INVALID_DEVICE_REQUEST 0xC0000010u
#define OLVEXPIN_STATUS_END_OF_FILE            0xC0000011u

/* Names: the user-mode path the library opens, and the kernel names. */
#define OLVEXPIN_USER_DEVICE_PATH "\\\\.\\OlvexPinXA"
#define OLVEXPIN_KERNEL_DEVICE_NAME "\\Device\\OlvexPinXA"
#define OLVEXPIN_KERNEL_LINK_NAME "\\DosDevices\\OlvexPinXA"

/* Device interface class {6757AB23-15F0-4DEE-97E8-FFE9FED43597}. */
#define OLVEXPIN_INTERFACE_GUID_DATA1 0x6757AB23u
#define OLVEXPIN_INTERFACE_GUID_DATA2 0x15F0u
#define OLVEXPIN_INTERFACE_GUID_DATA3 0x4DEEu
#define OLVEXPIN_INTERFACE_GUID_DATA4 {0x97, 0xE8, 0xFF, 0xE9, 0xFE, 0xD4, 0x35, 0x97}

/* Field positions inside the request buffers. */
#define OLVEXPIN_REGISTER_OFFSET_AT 0 /* GET/SET_REGISTER: u16 offset  */
#define OLVEXPIN_REGISTER_VALUE_AT  2 /* SET_REGISTER: u8 value        */
#define OLVEXPIN_PORT_NUMBER_AT     0 /* PEEK/POKE: u16 port number    */
#define OLVEXPIN_POKE_VALUE_AT      2 /* POKE: u8 or u16 value         */

static inline uint16_t OlvexPinGetU16(const uint8_t* bytes)
{
    return (uint16_t)((uint16_t)bytes[0] | (uint16_t)((uint16_t)bytes[1] << 8));
}

static inline void OlvexPinPutU16(uint8_t* bytes, uint16_t value)
{
    bytes[0] = (uint8_t)(value & 0xFFu);
    bytes[1] = (uint8_t)(value >> 8);
}

static inline void OlvexPinPutU32(uint8_t* bytes, uint32_t value)
{
    bytes[0] = (uint8_t)(value & 0xFFu);
    bytes[1] = (uint8_t)((value >> 8) & 0xFFu);
    bytes[2] = (uint8_t)((value >> 16) & 0xFFu);
    bytes[3] = (uint8_t)(value >> 24);
}

static inline uint32_t OlvexPinGetU32(const uint8_t* bytes)
{
    return (uint32_t)bytes[0] | ((uint32_t)bytes[1] << 8) | ((uint32_t)bytes[2] << 16) |
           ((uint32_t)bytes[3] << 24);
}

#endif /* OLVEXPIN_CONTRACT_H */
