#include "sys/host/host_device_stack.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "common/olvexpin_contract.h"

namespace olvexpin::host {
namespace {

// What the platform names the interface link of a root-enumerated device.
constexpr char kInterfaceLink[] = "\\??\\ROOT#UNKNOWN#0000#{6757ab23-15f0-4dee-97e8-ffe9fed43597}";

std::string Hex(uint32_t value)
{
    char text[16];
    std::snprintf(text, sizeof text, "%X", value);
    return text;
}

}  // namespace

Irp MakeRequest(uint8_t major, uint8_t minor)
{
    Irp irp;
    irp.parameters.codes.majorFunction = major;
    irp.parameters.codes.minorFunction = minor;
    return irp;
}

Irp MakeRead(uint32_t length, int64_t position)
{
    Irp irp = MakeRequest(kIrpMjRead);
    irp.parameters.length = length;
    irp.parameters.byteOffset = position;
    irp.systemBuffer.assign(length, 0xA5);
    return irp;
}

Irp MakeWrite(const std::vector<uint8_t>& data, int64_t position)
{
    Irp irp = MakeRequest(kIrpMjWrite);
    irp.parameters.length = static_cast<uint32_t>(data.size());
    irp.parameters.byteOffset = position;
    irp.systemBuffer = data;
    return irp;
}

Irp MakeDeviceControl(uint32_t code, const std::vector<uint8_t>& input, uint32_t outputLength)
{
    Irp irp = MakeRequest(kIrpMjDeviceControl);
    irp.parameters.ioControlCode = code;
    irp.parameters.inputLength = static_cast<uint32_t>(input.size());
    irp.parameters.outputLength = outputLength;
    irp.systemBuffer = input;
    irp.systemBuffer.resize(std::max<size_t>(input.size(), outputLength));
    return irp;
}

Irp MakeCreate(const std::string& fileName)
{
    Irp irp = MakeRequest(kIrpMjCreate);
    irp.fileNameChars.assign(fileName.begin(), fileName.end());
    return irp;
}

HostDeviceStack::HostDeviceStack() { pdo_.name = "PDO"; }

void HostDeviceStack::Record(std::string call)
{
    std::lock_guard<std::mutex> hold(mutex_);
    calls_.push_back(std::move(call));
}

std::vector<std::string> HostDeviceStack::Calls()
{
    std::lock_guard<std::mutex> hold(mutex_);
    return calls_;
}

void HostDeviceStack::ClearCalls()
{
    std::lock_guard<std::mutex> hold(mutex_);
    calls_.clear();
}

bool HostDeviceStack::LinkExists(const std::string& link)
{
    std::lock_guard<std::mutex> hold(mutex_);
    return links_.count(link) != 0;
}

bool HostDeviceStack::InterfaceEnabled()
{
    std::lock_guard<std::mutex> hold(mutex_);
    return interfaceEnabled_;
}

int HostDeviceStack::LiveLinkNames()
{
    std::lock_guard<std::mutex> hold(mutex_);
    return liveLinkNames_;
}

DeviceObject* HostDeviceStack::Device(const std::string& name)
{
    std::lock_guard<std::mutex> hold(mutex_);
    for (auto& d : devices_) {
        if (d->name == name && !d->deleted) {
            return d.get();
        }
    }
    return nullptr;
}

void HostDeviceStack::InstallDriverRoutines(DriverObject* driver)
{
    driver->routinesInstalled = true;
    Record("InstallDriverRoutines");
}

uint32_t HostDeviceStack::CreateDevice(DriverObject*, uint32_t extensionSize, const char* name, uint32_t deviceType,
                                       uint32_t characteristics, bool exclusive, DeviceObject** device)
{
    Record(std::string("IoCreateDevice ") + name + " type " + Hex(deviceType) + " characteristics " +
           Hex(characteristics) + (exclusive ? " exclusive" : " shared"));
    if (Device(name) != nullptr) {
        return kStatusObjectNameCollision;
    }
    auto created = std::make_unique<DeviceObject>();
    created->name = name;
    created->flags = kDoDeviceInitializing;
    created->extensionStorage = std::make_unique<uint64_t[]>((extensionSize + 7) / 8);  // zeroed
    *device = created.get();
    std::lock_guard<std::mutex> hold(mutex_);
    devices_.push_back(std::move(created));
    return 0;
}

void* HostDeviceStack::DeviceExtension(DeviceObject* device) { return device->extensionStorage.get(); }

uint32_t HostDeviceStack::RegisterDeviceInterface(DeviceObject* physicalDevice, CountedText16* linkName)
{
    Record("IoRegisterDeviceInterface " + physicalDevice->name);
    if (registerStatus != 0) {
        return registerStatus;
    }
    const size_t characters = std::strlen(kInterfaceLink);
    linkName->buffer = new uint16_t[characters + 1];
    for (size_t i = 0; i <= characters; ++i) {
        linkName->buffer[i] = static_cast<uint8_t>(kInterfaceLink[i]);
    }
    linkName->length = static_cast<uint16_t>(characters * 2);
    linkName->maximumLength = static_cast<uint16_t>(characters * 2 + 2);
    std::lock_guard<std::mutex> hold(mutex_);
    ++liveLinkNames_;
    return 0;
}

uint32_t HostDeviceStack::SetDeviceInterfaceState(CountedText16*, bool enable)
{
    Record(std::string("IoSetDeviceInterfaceState ") + (enable ? "TRUE" : "FALSE"));
    std::lock_guard<std::mutex> hold(mutex_);
    interfaceEnabled_ = enable;
    return 0;
}

uint32_t HostDeviceStack::CreateSymbolicLink(const char* link, const char* device)
{
    Record(std::string("IoCreateSymbolicLink ") + link + " " + device);
    if (symbolicLinkStatus != 0) {
        return symbolicLinkStatus;
    }
    std::lock_guard<std::mutex> hold(mutex_);
    links_.insert(link);
    return 0;
}

uint32_t HostDeviceStack::DeleteSymbolicLink(const char* link)
{
    Record(std::string("IoDeleteSymbolicLink ") + link);
    std::lock_guard<std::mutex> hold(mutex_);
    return links_.erase(link) != 0 ? 0 : kStatusObjectNameNotFound;
}

DeviceObject* HostDeviceStack::AttachDeviceToDeviceStack(DeviceObject* device, DeviceObject* physicalDevice)
{
    Record("IoAttachDeviceToDeviceStack " + device->name + " " + physicalDevice->name);
    if (attachFails) {
        return nullptr;
    }
    device->attachedTo = physicalDevice;
    return physicalDevice;
}

void HostDeviceStack::DetachDevice(DeviceObject* lowerDevice) { Record("IoDetachDevice " + lowerDevice->name); }

void HostDeviceStack::DeleteDevice(DeviceObject* device)
{
    Record("IoDeleteDevice " + device->name);
    std::lock_guard<std::mutex> hold(mutex_);
    device->deleted = true;
}

void HostDeviceStack::SetDeviceFlags(DeviceObject* device, uint32_t set, uint32_t clear)
{
    Record("Flags set " + Hex(set) + " clear " + Hex(clear));
    device->flags = (device->flags | set) & ~clear;
}

void HostDeviceStack::FreeUnicodeString(CountedText16* text)
{
    Record("RtlFreeUnicodeString");
    delete[] text->buffer;
    text->buffer = nullptr;
    text->length = 0;
    text->maximumLength = 0;
    std::lock_guard<std::mutex> hold(mutex_);
    --liveLinkNames_;
}

void HostDeviceStack::DescribeRequest(Irp* request, RequestParameters& parameters)
{
    parameters = request->parameters;
    parameters.systemBuffer = request->systemBuffer.empty() ? nullptr : request->systemBuffer.data();
    if (request->parameters.codes.majorFunction == kIrpMjCreate) {
        request->fileName.buffer = request->fileNameChars.data();
        request->fileName.length = static_cast<uint16_t>(request->fileNameChars.size() * 2);
        request->fileName.maximumLength = request->fileName.length;
        parameters.fileName = &request->fileName;
    }
}

void HostDeviceStack::SkipCurrentStackLocation(Irp* request)
{
    request->skipped = true;
    Record("IoSkipCurrentIrpStackLocation");
}

// The lower driver completes whatever it is handed.
uint32_t HostDeviceStack::CallDriver(DeviceObject* device, Irp* request)
{
    Record("IofCallDriver " + device->name);
    request->passedDown = true;
    ++request->completions;
    request->status = lowerDriverStatus;
    return lowerDriverStatus;
}

void HostDeviceStack::StartNextPowerIrp(Irp*) { Record("PoStartNextPowerIrp"); }

uint32_t HostDeviceStack::PoCallDriver(DeviceObject* device, Irp* request)
{
    Record("PoCallDriver " + device->name);
    request->passedDown = true;
    ++request->completions;
    request->status = lowerDriverStatus;
    return lowerDriverStatus;
}

void HostDeviceStack::CompleteRequest(Irp* request, uint32_t status, uint32_t information)
{
    Record("IofCompleteRequest " + Hex(status) + " " + std::to_string(information));
    request->status = status;
    request->information = information;
    ++request->completions;
}

}  // namespace olvexpin::host
