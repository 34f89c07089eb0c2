// Driver-wide state of OlvexPin: one instance for the whole driver, shared by
// every device object and every request.
#ifndef OLVEXPIN_DRIVER_STATE_H
#define OLVEXPIN_DRIVER_STATE_H

#include <stdint.h>

#include "sys/kernel.h"

namespace olvexpin {

// The memory buffer that read and write requests fill and read back.
// Invariant: data is null exactly when length is 0.
struct MemoryBuffer {
    uint8_t* data = nullptr;
    uint32_t length = 0;
};

// The platform pieces a request needs, and the state guarded by deviceLock.
// Plain pointers so that a zero-initialised global needs no constructor.
struct DriverContext {
    PortAccess* ports = nullptr;
    SpinLock* deviceLock = nullptr;
    Pool* pool = nullptr;
    DebugPrint* log = nullptr;
    MemoryBuffer memory;
};

}  // namespace olvexpin

#endif  // OLVEXPIN_DRIVER_STATE_H
