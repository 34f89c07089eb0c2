// Device control dispatch.
//
//   code                        in        out        port access          count
//   DATA / STATUS / CONTROL     0 or 1    0 or 1     write half, read     out
//                                                    half, independent
//   GET_REGISTER                2         1          read 0x378 + offset  out
//   SET_REGISTER                3         any        write 0x378 + offset 0
//   PEEK                        2         1 or 2     read byte or word    out
//   POKE                        3 or 4    any        write byte or word   0
//   CLEAR_BUFFER, FREE_BUFFER   ignored   ignored    none                 0
//   BUFFER_LENGTH(_2)           ignored   >= 4       none                 4 (0 on failure)
//   READ_BUFFER                 ignored   <= length  none                 out (0 on failure)
//   anything else               -         -          none                 0
//
// SET_REGISTER and POKE carry nothing back, so whatever output length a
// caller passes they report a count of 0: a non-zero count would make the
// I/O manager copy the caller's own input bytes (or stale buffer bytes) back
// as if the driver had produced them.
#include "sys/device_control.h"

#include "common/olvexpin_contract.h"
#include "sys/memory_buffer.h"

namespace olvexpin {
namespace {

struct Request {
    DriverContext& driver;
    uint32_t in;
    uint32_t out;
    uint8_t* buffer;
};

DeviceControlResult Ok(uint32_t count) { return {OLVEXPIN_STATUS_SUCCESS, count}; }
DeviceControlResult Invalid(uint32_t count) { return {OLVEXPIN_STATUS_INVALID_PARAMETER, count}; }

// The data, status and control registers: an optional write then an optional
// read of the same port, each half checked on its own.
struct RegisterRequest {
    uint32_t code;
    uint32_t port;
    const char* writeMessage;
    const char* badInputMessage;
    const char* readMessage;
    const char* badOutputMessage;
};

#define OLVEXPIN_REGISTER_MESSAGES(name)                                                  \
    "DeviceIoControl: IOCTL_OLVEXPINXA_" name " InputLength %d",                          \
        "DeviceIoControl: IOCTL_OLVEXPINXA_" name                                         \
        " InputLength %d > 1, returning STATUS_INVALID_PARAMETER",                        \
        "DeviceIoControl: IOCTL_OLVEXPINXA_" name " OutputLength %d",                     \
        "DeviceIoControl: IOCTL_OLVEXPINXA_" name                                         \
        " OutputLength %d > 1, returning STATUS_INVALID_PARAMETER"

constexpr RegisterRequest kRegisterRequests[] = {
    {IOCTL_OLVEXPINXA_DATA, OLVEXPIN_DATA_PORT, OLVEXPIN_REGISTER_MESSAGES("DATA")},
    {IOCTL_OLVEXPINXA_STATUS, OLVEXPIN_STATUS_PORT, OLVEXPIN_REGISTER_MESSAGES("STATUS")},
    {IOCTL_OLVEXPINXA_CONTROL, OLVEXPIN_CONTROL_PORT, OLVEXPIN_REGISTER_MESSAGES("CONTROL")},
};

#undef OLVEXPIN_REGISTER_MESSAGES

DeviceControlResult HandleRegister(const RegisterRequest& reg, Request& r)
{
    DebugPrint& log = *r.driver.log;
    PortAccess& ports = *r.driver.ports;
    DeviceControlResult result = Ok(r.out);
    if (r.in == 1) {
        log.Format(reg.writeMessage, r.in);
        ports.WriteByte(reg.port, r.buffer[0]);
    } else if (r.in > 1) {
        log.Format(reg.badInputMessage, r.in);
        result.status = OLVEXPIN_STATUS_INVALID_PARAMETER;
    }
    if (r.out == 1) {
        log.Format(reg.readMessage, r.out);
        r.buffer[0] = ports.ReadByte(reg.port);
    } else if (r.out > 1) {
        log.Format(reg.badOutputMessage, r.out);
        result.status = OLVEXPIN_STATUS_INVALID_PARAMETER;
    }
    return result;
}

DeviceControlResult HandleGetRegister(Request& r)
{
    DebugPrint& log = *r.driver.log;
    if (r.in != 2) {
        log.Format("DeviceIoControl: IOCTL_OLVEXPINXA_GET_REGISTER InputLength %d <> 2, "
                   "returning STATUS_INVALID_PARAMETER",
                   r.in);
        return Invalid(r.out);
    }
    const uint16_t offset = OlvexPinGetU16(r.buffer + OLVEXPIN_REGISTER_OFFSET_AT);
    log.Format("DeviceIoControl: IOCTL_OLVEXPINXA_GET_REGISTER (offset %d)", offset);
    if (r.out != 1) {
        log.Format("DeviceIoControl: IOCTL_OLVEXPINXA_GET_REGISTER OutputLength %d <> 1, "
                   "returning STATUS_INVALID_PARAMETER",
                   r.out);
        return Invalid(r.out);
    }
    const uint8_t value = r.driver.ports->ReadByte(OLVEXPIN_PORT_BASE + offset);
    r.buffer[0] = value;
    log.Format("DeviceIoControl: IOCTL_OLVEXPINXA_GET_REGISTER (offset %d) returning %d", offset,
               value);
    return Ok(r.out);
}

DeviceControlResult HandleSetRegister(Request& r)
{
    DebugPrint& log = *r.driver.log;
    if (r.in != 3) {
        log.Format("DeviceIoControl: IOCTL_OLVEXPINXA_SET_REGISTER InputLength %d <> 3, "
                   "returning STATUS_INVALID_PARAMETER",
                   r.in);
        return Invalid(0);
    }
    const uint16_t offset = OlvexPinGetU16(r.buffer + OLVEXPIN_REGISTER_OFFSET_AT);
    const uint8_t value = r.buffer[OLVEXPIN_REGISTER_VALUE_AT];
    log.Format("DeviceIoControl: IOCTL_OLVEXPINXA_SET_REGISTER(offset %d, data %d)", offset, value);
    r.driver.ports->WriteByte(OLVEXPIN_PORT_BASE + offset, value);
    return Ok(0);
}

DeviceControlResult HandlePeek(Request& r)
{
    DebugPrint& log = *r.driver.log;
    if (r.in != 2) {
        log.Format("DeviceIoControl: IOCTL_OLVEXPINXA_PEEK InputLength %d <> 2, "
                   "returning STATUS_INVALID_PARAMETER",
                   r.in);
        return Invalid(r.out);
    }
    const uint16_t port = OlvexPinGetU16(r.buffer + OLVEXPIN_PORT_NUMBER_AT);
    log.Format("DeviceIoControl: IOCTL_OLVEXPINXA_PEEK (i/o port %d)", port);
    if (r.out == 1) {
        const uint8_t value = r.driver.ports->ReadByte(port);
        r.buffer[0] = value;
        log.Format("DeviceIoControl: IOCTL_OLVEXPINXA_PEEK (i/o port %d) returning uint8 %d", port,
                   value);
    } else if (r.out == 2) {
        const uint16_t value = r.driver.ports->ReadWord(port);
        OlvexPinPutU16(r.buffer, value);
        log.Format("DeviceIoControl: IOCTL_OLVEXPINXA_PEEK (i/o port %d) returning uint16 %d", port,
                   value);
    } else {
        log.Format("DeviceIoControl: IOCTL_OLVEXPINXA_PEEK OutputLength %d <> 1 or 2, "
                   "returning STATUS_INVALID_PARAMETER",
                   r.out);
        return Invalid(r.out);
    }
    return Ok(r.out);
}

DeviceControlResult HandlePoke(Request& r)
{
    DebugPrint& log = *r.driver.log;
    if (r.in == 3) {
        const uint16_t port = OlvexPinGetU16(r.buffer + OLVEXPIN_PORT_NUMBER_AT);
        const uint8_t value = r.buffer[OLVEXPIN_POKE_VALUE_AT];
        log.Format("DeviceIoControl: IOCTL_OLVEXPINXA_POKE(i/o port %d, uint8 data %d)", port,
                   value);
        r.driver.ports->WriteByte(port, value);
    } else if (r.in == 4) {
        const uint16_t port = OlvexPinGetU16(r.buffer + OLVEXPIN_PORT_NUMBER_AT);
        const uint16_t value = OlvexPinGetU16(r.buffer + OLVEXPIN_POKE_VALUE_AT);
        log.Format("DeviceIoControl: IOCTL_OLVEXPINXA_POKE(i/o port %d, uint16 data %d)", port,
                   value);
        r.driver.ports->WriteWord(port, value);
    } else {
        log.Format("DeviceIoControl: IOCTL_OLVEXPINXA_POKE InputLength %d <> 3 or 4, "
                   "returning STATUS_INVALID_PARAMETER",
                   r.in);
        return Invalid(0);
    }
    return Ok(0);
}

DeviceControlResult HandleClearBuffer(Request& r)
{
    ClearMemoryBuffer(r.driver.memory);
    return Ok(0);
}

DeviceControlResult HandleFreeBuffer(Request& r)
{
    FreeMemoryBuffer(r.driver.memory, *r.driver.pool);
    return Ok(0);
}

DeviceControlResult HandleBufferLength(Request& r)
{
    if (r.out < 4) {
        return Invalid(0);
    }
    OlvexPinPutU32(r.buffer, r.driver.memory.length);
    return Ok(4);
}

DeviceControlResult HandleReadBuffer(Request& r)
{
    if (r.out > r.driver.memory.length) {
        return Invalid(0);
    }
    CopyMemoryBufferStart(r.driver.memory, r.buffer, r.out);
    return Ok(r.out);
}

struct Handler {
    uint32_t code;
    DeviceControlResult (*handle)(Request&);
};

constexpr Handler kHandlers[] = {
    {IOCTL_OLVEXPINXA_GET_REGISTER, HandleGetRegister},
    {IOCTL_OLVEXPINXA_SET_REGISTER, HandleSetRegister},
    {IOCTL_OLVEXPINXA_PEEK, HandlePeek},
    {IOCTL_OLVEXPINXA_POKE, HandlePoke},
    {IOCTL_OLVEXPINXA_CLEAR_BUFFER, HandleClearBuffer},
    {IOCTL_OLVEXPINXA_FREE_BUFFER, HandleFreeBuffer},
    {IOCTL_OLVEXPINXA_BUFFER_LENGTH, HandleBufferLength},
    {IOCTL_OLVEXPINXA_READ_BUFFER, HandleReadBuffer},
    {IOCTL_OLVEXPINXA_BUFFER_LENGTH_2, HandleBufferLength},
};

DeviceControlResult Dispatch(uint32_t code, Request& r)
{
    for (const RegisterRequest& reg : kRegisterRequests) {
        if (reg.code == code) {
            return HandleRegister(reg, r);
        }
    }
    for (const Handler& handler : kHandlers) {
        if (handler.code == code) {
            return handler.handle(r);
        }
    }
    return {OLVEXPIN_STATUS_INVALID_DEVICE_REQUEST, 0};
}

}  // namespace

DeviceControlResult OlvexPinXADeviceControlCore(DriverContext& driver, uint32_t code,
                                                uint32_t inputLength, uint32_t outputLength,
                                                uint8_t* buffer)
{
    driver.log->Format("DeviceIoControl: Control code %x InputLength %d OutputLength %d", code,
                       inputLength, outputLength);
    Request request{driver, inputLength, outputLength, buffer};
    driver.deviceLock->Acquire();
    const DeviceControlResult result = Dispatch(code, request);
    driver.deviceLock->Release();
    driver.log->Format("DeviceIoControl: %d bytes written", result.count);
    return result;
}

}  // namespace olvexpin
