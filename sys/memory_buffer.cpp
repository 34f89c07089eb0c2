#include "sys/memory_buffer.h"

#include "common/olvexpin_contract.h"

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

TransferResult ReadMemoryBuffer(const MemoryBuffer& memory, int64_t position, uint32_t length,
                                uint8_t* out)
{
    if (position < 0) {
        return {OLVEXPIN_STATUS_INVALID_PARAMETER, 0};
    }
    if (position >= static_cast<int64_t>(memory.length)) {
        return {OLVEXPIN_STATUS_END_OF_FILE, 0};
    }
    const uint32_t start = static_cast<uint32_t>(position);
    // Compared as a difference: position + length may not fit in 32 bits.
    const uint32_t available = memory.length - start;
    const uint32_t count = length <= available ? length : available;
    for (uint32_t i = 0; i < count; ++i) {
        out[i] = memory.data[start + i];
    }
    return {OLVEXPIN_STATUS_SUCCESS, count};
}

TransferResult WriteMemoryBuffer(MemoryBuffer& memory, Pool& pool, uint32_t position, uint32_t length,
                                 const uint8_t* in)
{
    // A 32-bit end that wrapped would land the copy before position, far
    // outside the block.
    if (length > UINT32_MAX - position) {
        return {OLVEXPIN_STATUS_INVALID_PARAMETER, 0};
    }
    const uint32_t end = position + length;
    uint32_t count = length;
    if (end > memory.length) {
        uint8_t* grown = static_cast<uint8_t*>(pool.Allocate(end));
        if (grown != nullptr) {
            for (uint32_t i = 0; i < end; ++i) {
                grown[i] = 0;
            }
            for (uint32_t i = 0; i < memory.length; ++i) {
                grown[i] = memory.data[i];
            }
            if (memory.data != nullptr) {
                pool.Free(memory.data);
            }
            memory.data = grown;
            memory.length = end;
        } else {
            count = memory.length > position ? memory.length - position : 0;
        }
    }
    for (uint32_t i = 0; i < count; ++i) {
        memory.data[position + i] = in[i];
    }
    return {OLVEXPIN_STATUS_SUCCESS, count};
}

}  // namespace olvexpin
