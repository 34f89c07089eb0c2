#include "sys/memory_buffer.h"

namespace olvexpin {

void ClearMemoryBuffer(MemoryBuffer& memory)
{
    for (uint32_t i = 0; memory.data != nullptr && i < memory.length; ++i) {
        memory.data[i] = 0;
    }
}

void FreeMemoryBuffer(MemoryBuffer& memory, Pool& pool)
{
    if (memory.data != nullptr) {
        pool.Free(memory.data);
    }
    memory.data = nullptr;
    memory.length = 0;
}

void CopyMemoryBufferStart(const MemoryBuffer& memory, uint8_t* out, uint32_t count)
{
    for (uint32_t i = 0; i < count; ++i) {
        out[i] = memory.data[i];
    }
}

}  // namespace olvexpin
