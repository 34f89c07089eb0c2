#include "sim/sim_driver.h"

#include "sys/memory_buffer.h"

namespace olvbus::sim {

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
