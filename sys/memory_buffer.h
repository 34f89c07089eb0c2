// The driver-wide memory buffer: what the device control requests do to it.
// Every routine here expects deviceLock to be held by the caller.
#ifndef OLVEXPIN_MEMORY_BUFFER_H
#define OLVEXPIN_MEMORY_BUFFER_H

#include <stdint.h>

#include "sys/driver_state.h"

namespace olvexpin {

// Zero every byte; nothing to do when there is no buffer.
void ClearMemoryBuffer(MemoryBuffer& memory);

// Give the block back to the pool and leave the buffer absent.
void FreeMemoryBuffer(MemoryBuffer& memory, Pool& pool);

// Copy the first count bytes into out. The caller has checked count <= length.
void CopyMemoryBufferStart(const MemoryBuffer& memory, uint8_t* out, uint32_t count);

}  // namespace olvexpin

#endif  // OLVEXPIN_MEMORY_BUFFER_H
