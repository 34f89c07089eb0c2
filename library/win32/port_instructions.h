// The processor's 8-bit port instructions, for the direct back end. User mode
// may execute them only where the operating system grants I/O privilege (the
// Windows 9x family); the library reaches them on NT only through OlvexPin.
#ifndef OLVBUS_WIN32_PORT_INSTRUCTIONS_H
#define OLVBUS_WIN32_PORT_INSTRUCTIONS_H

#include <cstdint>

namespace olvbus::win32 {

// in al,dx: the port number goes in DX ("d"), or as an immediate when it
// fits in 8 bits ("N"); the byte comes back in AL ("a").
inline std::uint8_t InPortByte(std::uint16_t port)
{
    std::uint8_t value;
    __asm__ __volatile__("inb %w1, %b0" : "=a"(value) : "Nd"(port) : "memory");
    return value;
}

// out dx,al
inline void OutPortByte(std::uint16_t port, std::uint8_t value)
{
    __asm__ __volatile__("outb %b0, %w1" : : "a"(value), "Nd"(port) : "memory");
}

}  // namespace olvbus::win32

#endif  // OLVBUS_WIN32_PORT_INSTRUCTIONS_H
