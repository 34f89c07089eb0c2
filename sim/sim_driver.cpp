#include "sim/sim_driver.h"

#include <cstdlib>

#include "sys/memory_buffer.h"

namespace olvbus::sim {

void* HeapPool::Allocate(std::uint32_t size)
{
    if (failing_) {
        return nullptr;
    }
    void* block = std::malloc(size == 0 ? 1 : size);
    if (block != nullptr) {
        ++outstanding_;
    }
    return block;
}

void HeapPool::Free(void* block)
{
    if (block != nullptr) {
        --outstanding_;
        std::free(block);
    }
}

SimDriver::SimDriver(IoSpace& io) : ports_(io)
{
    context_.ports = &ports_;
    context_.deviceLock = &lock_;
    context_.pool = &pool_;
    context_.log = &silent_;
}

// Unload gives the memory buffer back.
SimDriver::~SimDriver()
{
    olvexpin::FreeMemoryBuffer(context_.memory, pool_);
}

void SimDriver::SetDebugPrint(olvexpin::DebugPrint* log)
{
    context_.log = log != nullptr ? log : &silent_;
}

}  // namespace olvbus::sim
