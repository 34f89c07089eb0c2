// Port access for the driver's host tests: a flat 64 KiB I/O space where a
// read returns what was last written, and a log of every access with the
// thread that made it, so a test can see whose accesses fell between whose.
#ifndef OLVEXPIN_HOST_RECORDING_PORTS_H
#define OLVEXPIN_HOST_RECORDING_PORTS_H

#include <cstdint>
#include <mutex>
#include <thread>
#include <vector>

#include "sys/kernel.h"

namespace olvexpin::host {

struct PortAccessRecord {
    std::thread::id thread;
    bool write;
    bool word;
    uint32_t port;
    uint16_t value;
};

class RecordingPorts final : public PortAccess {
public:
    uint8_t ReadByte(uint32_t port) override
    {
        std::lock_guard<std::mutex> hold(mutex_);
        const uint8_t value = space_[port & 0xFFFFu];
        log_.push_back({std::this_thread::get_id(), false, false, port, value});
        return value;
    }
    uint16_t ReadWord(uint32_t port) override
    {
        std::lock_guard<std::mutex> hold(mutex_);
        const uint16_t value = static_cast<uint16_t>(space_[port & 0xFFFFu] | space_[(port + 1) & 0xFFFFu] << 8);
        log_.push_back({std::this_thread::get_id(), false, true, port, value});
        return value;
    }
    void WriteByte(uint32_t port, uint8_t value) override
    {
        std::lock_guard<std::mutex> hold(mutex_);
        space_[port & 0xFFFFu] = value;
        log_.push_back({std::this_thread::get_id(), true, false, port, value});
    }
    void WriteWord(uint32_t port, uint16_t value) override
    {
        std::lock_guard<std::mutex> hold(mutex_);
        space_[port & 0xFFFFu] = static_cast<uint8_t>(value);
        space_[(port + 1) & 0xFFFFu] = static_cast<uint8_t>(value >> 8);
        log_.push_back({std::this_thread::get_id(), true, true, port, value});
    }

    std::vector<PortAccessRecord> Log()
    {
        std::lock_guard<std::mutex> hold(mutex_);
        return log_;
    }

private:
    std::mutex mutex_;
    std::vector<uint8_t> space_ = std::vector<uint8_t>(0x10000, 0);
    std::vector<PortAccessRecord> log_;
};

}  // namespace olvexpin::host

#endif  // OLVEXPIN_HOST_RECORDING_PORTS_H
