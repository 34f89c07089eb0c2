// OlvexPin's answer to device control requests, without the kernel: the
// binding hands over the code, both lengths and the request's system buffer
// (max(in, out) bytes, input at its start) and completes the request with the
// result.
#ifndef OLVEXPIN_DEVICE_CONTROL_H
#define OLVEXPIN_DEVICE_CONTROL_H

#include <stdint.h>

#include "sys/driver_state.h"

namespace olvexpin {

struct DeviceControlResult {
    uint32_t status;
    uint32_t count;  // bytes the I/O manager copies back, on success only
};

// Takes deviceLock itself; logs through driver.log before, inside and after.
// buffer may be null when both lengths are 0.
DeviceControlResult OlvexPinXADeviceControlCore(DriverContext& driver, uint32_t code,
                                                uint32_t inputLength, uint32_t outputLength,
                                                uint8_t* buffer);

}  // namespace olvexpin

#endif  // OLVEXPIN_DEVICE_CONTROL_H
