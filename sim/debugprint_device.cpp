#include "sim/debugprint_device.h"

#include <cctype>
#include <cstring>

namespace olvbus::sim {
namespace {

constexpr char kDeviceName[] = "\\Device\\VyrDebugPrint";
constexpr std::uint32_t kGenericWrite = 0x40000000u;
constexpr std::uint32_t kObjCaseInsensitive = 0x40u;
constexpr std::uint32_t kFileShareWrite = 2u;
constexpr std::uint32_t kFileOpen = 1u;

// The object manager compares the name without case only when asked to.
bool NameMatches(const char* name, bool caseInsensitive)
{
    if (name == nullptr || std::strlen(name) != std::strlen(kDeviceName)) {
        return false;
    }
    for (std::size_t i = 0; kDeviceName[i] != '\0'; ++i) {
        const char a = name[i];
        const char b = kDeviceName[i];
        if (caseInsensitive ? std::tolower(static_cast<unsigned char>(a)) != std::tolower(static_cast<unsigned char>(b))
                            : a != b) {
            return false;
        }
    }
    return true;
}

}  // namespace

// Any handle this device gives out is its own address.
std::uint32_t DebugPrintDeviceSim::Open(const olvexpin::DeviceOpenParameters& parameters, void** handle)
{
    std::lock_guard<std::mutex> hold(mutex_);
    ++attempts_;
    const bool present = present_ || (presentFrom_ > 0 && attempts_ >= presentFrom_);
    if (!present || !NameMatches(parameters.name, (parameters.objectAttributes & kObjCaseInsensitive) != 0)) {
        return kStatusObjectNameNotFound;
    }
    // The debug-print driver is written to by several clients at once: it
    // must be opened for writing, shared for writing, and must exist already.
    if ((parameters.desiredAccess & kGenericWrite) == 0 || (parameters.shareAccess & kFileShareWrite) == 0 ||
        parameters.createDisposition != kFileOpen) {
        rejected_ = true;
        return kStatusInvalidParameter;
    }
    ++handles_;
    *handle = this;
    return 0;
}

void DebugPrintDeviceSim::Write(void* handle, const void* bytes, std::uint32_t length)
{
    std::lock_guard<std::mutex> hold(mutex_);
    if (handle != this || handles_ == 0) {
        return;
    }
    const auto* first = static_cast<const std::uint8_t*>(bytes);
    records_.emplace_back(first, first + length);
    stream_.insert(stream_.end(), first, first + length);
}

void DebugPrintDeviceSim::Close(void* handle)
{
    std::lock_guard<std::mutex> hold(mutex_);
    if (handle == this && handles_ > 0) {
        --handles_;
    }
}

void DebugPrintDeviceSim::SetPresent(bool present)
{
    std::lock_guard<std::mutex> hold(mutex_);
    present_ = present;
}

void DebugPrintDeviceSim::PresentFromAttempt(int attempt)
{
    std::lock_guard<std::mutex> hold(mutex_);
    presentFrom_ = attempt;
}

std::vector<DebugPrintDeviceSim::Record> DebugPrintDeviceSim::Records() const
{
    std::lock_guard<std::mutex> hold(mutex_);
    return records_;
}

std::vector<std::uint8_t> DebugPrintDeviceSim::Stream() const
{
    std::lock_guard<std::mutex> hold(mutex_);
    return stream_;
}

int DebugPrintDeviceSim::OpenAttempts() const
{
    std::lock_guard<std::mutex> hold(mutex_);
    return attempts_;
}

int DebugPrintDeviceSim::OpenHandles() const
{
    std::lock_guard<std::mutex> hold(mutex_);
    return handles_;
}

bool DebugPrintDeviceSim::ParametersRejected() const
{
    std::lock_guard<std::mutex> hold(mutex_);
    return rejected_;
}

}  // namespace olvbus::sim
