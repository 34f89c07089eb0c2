// The driver-wide memory buffer: what read, write and the device control
// requests do to it. Every routine here expects deviceLock to be held by the
// caller.
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

struct TransferResult {
    uint32_t status;
    uint32_t count;  // bytes copied
};

// A read of length bytes at position into out (which holds length bytes):
// a negative position is invalid, one at or past the end is the end of file,
// and a read reaching past the end is cut at the end.
TransferResult ReadMemoryBuffer(const MemoryBuffer& memory, int64_t position, uint32_t length,
                                uint8_t* out);

// A write of length bytes from in at position, the low 32 bits of a
// non-negative file position. The buffer grows, zero-filled, to reach
// position + length; without pool for that, the write is cut to what fits
// in the present buffer and still succeeds. A position + length beyond
// 32 bits is refused, as no buffer could hold it.
TransferResult WriteMemoryBuffer(MemoryBuffer& memory, Pool& pool, uint32_t position, uint32_t length,
                                 const uint8_t* in);

}  // namespace olvexpin

#endif  // OLVEXPIN_MEMORY_BUFFER_H
