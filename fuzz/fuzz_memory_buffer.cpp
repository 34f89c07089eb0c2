// Reads and writes of the driver's memory buffer at any position and length,
// with the pool running dry now and then: never a byte outside the buffer.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "common/olvexpin_contract.h"
#include "fuzz/fuzz_input.h"
#include "sys/memory_buffer.h"

namespace {

// Non-paged pool is small: refuse what a real one would, and count blocks.
class SmallPool final : public olvexpin::Pool {
public:
    void* Allocate(std::uint32_t size) override
    {
        if (dry_ || size > (1u << 20)) {
            return nullptr;
        }
        ++outstanding_;
        return std::malloc(size == 0 ? 1 : size);
    }
    void Free(void* block) override
    {
        --outstanding_;
        std::free(block);
    }
    bool dry_ = false;
    int outstanding_ = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    olvbus::fuzz::FuzzInput input(data, size);
    SmallPool pool;
    olvexpin::MemoryBuffer memory;
    while (input.Remaining() > 0) {
        const std::uint8_t op = input.Take<std::uint8_t>();
        pool.dry_ = (op & 0x40) != 0;
        std::int64_t position = input.Take<std::int64_t>();
        if (op & 0x20) {
            position &= 0x1FFF;  // mostly near the buffer, where the edges are
        }
        const std::uint32_t length = input.Take<std::uint16_t>() % 5000;
        std::vector<std::uint8_t> bytes(length, 0xA7);
        switch (op % 4) {
        case 0: {
            const auto r = olvexpin::ReadMemoryBuffer(memory, position, length, bytes.data());
            if (r.count > length) {
                __builtin_trap();
            }
            break;
        }
        case 1:
            if (position >= 0) {
                const auto r = olvexpin::WriteMemoryBuffer(memory, pool, static_cast<std::uint32_t>(position),
                                                           length, bytes.data());
                if (r.count > length) {
                    __builtin_trap();
                }
            }
            break;
        case 2:
            olvexpin::ClearMemoryBuffer(memory);
            break;
        default:
            olvexpin::FreeMemoryBuffer(memory, pool);
            break;
        }
        if ((memory.data == nullptr) != (memory.length == 0)) {
            __builtin_trap();  // the buffer and its length must agree
        }
    }
    olvexpin::FreeMemoryBuffer(memory, pool);
    if (pool.outstanding_ != 0) {
        __builtin_trap();
    }
    return 0;
}
