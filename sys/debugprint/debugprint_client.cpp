#include "sys/debugprint/debugprint_client.h"

#include "sys/debugprint/debugprint_record.h"
#include "sys/debugprint/format_debug_text.h"

namespace olvexpin {

// One queued message: the list link, the record's length, then the record.
struct DebugPrintClient::PendingMessage {
    ListEntry link;
    uint32_t recordLength;

    uint8_t* Record() { return reinterpret_cast<uint8_t*>(this + 1); }
};

namespace {

// The flags are plain variables in the driver's design, read without a lock;
// sequentially consistent accesses make the producers' check and the
// stopping side's drain of producersInside_ see each other.
bool Load(const bool& flag) { return __atomic_load_n(&flag, __ATOMIC_SEQ_CST); }
void Store(bool& flag, bool value) { __atomic_store_n(&flag, value, __ATOMIC_SEQ_CST); }

// ZwCreateFile of the outside device: read and write access, name compared
// without case, normal attributes, shared for reading and writing, and the
// device must already exist.
constexpr DeviceOpenParameters kOpenParameters = {
    kDebugPrintDeviceName,
    0xC0000000u,  // GENERIC_READ | GENERIC_WRITE
    0x40u,        // OBJ_CASE_INSENSITIVE
    0x80u,        // FILE_ATTRIBUTE_NORMAL
    3u,           // FILE_SHARE_READ | FILE_SHARE_WRITE
    1u,           // FILE_OPEN
    0u,
};

constexpr const char kLoggingStarted[] = "DebugPrint logging started";
constexpr const char kLoggingEnded[] = "DebugPrint logging ended";
constexpr const char kNoFormatBuffer[] = "DebugPrint: Could not allocate buffer";

}  // namespace

bool DebugPrintClient::LoggingActive() const { return Load(loggingActive_); }

void DebugPrintClient::Start(const char* sourceName)
{
    const uint16_t nameBytes = RecordTextBytes(sourceName);
    sourceName_ = static_cast<char*>(services_.pool->Allocate(nameBytes));
    if (sourceName_ == nullptr) {
        return;
    }
    for (uint32_t i = 0; i + 1 < nameBytes; ++i) {
        sourceName_[i] = sourceName[i];
    }
    sourceName_[nameBytes - 1] = '\0';
    sourceNameLength_ = nameBytes;

    Store(stopRequested_, false);
    services_.wakeEvent->Initialize();
    services_.writerExitedEvent->Initialize();
    services_.pendingMessages->Initialize();

    void* handle = nullptr;
    if (!services_.threads->Create(WriterRoutine, this, &handle)) {
        ReleaseSourceName();
        return;
    }
    void* thread = nullptr;
    if (!services_.threads->Reference(handle, &thread)) {
        // Without a reference nobody could wait for the writer at unload, and
        // the driver's code could be unmapped under it: tell it to stop and
        // see it out now.
        Store(stopRequested_, true);
        services_.wakeEvent->Set();
        services_.writerExitedEvent->Wait();
        services_.threads->CloseHandle(handle);
        ReleaseSourceName();
        return;
    }
    services_.threads->CloseHandle(handle);
    writerThread_ = thread;
    Store(loggingActive_, true);
    Text(kLoggingStarted);
}

void DebugPrintClient::Stop()
{
    if (writerThread_ == nullptr) {
        return;  // never started
    }
    if (Load(loggingActive_)) {
        // Switch producers off and let those already past the check finish, so
        // that the closing record really is the last one queued.
        Store(loggingActive_, false);
        WaitForProducers();
        QueueRecord(kLoggingEnded);
        Store(stopRequested_, true);
        services_.wakeEvent->Set();
    }
    // Either the writer is draining after the signal above, or it gave up on
    // the device earlier and has signalled (or is about to).
    services_.writerExitedEvent->Wait();
    DiscardPendingMessages();
    services_.threads->Dereference(writerThread_);
    writerThread_ = nullptr;
    ReleaseSourceName();
}

void DebugPrintClient::Text(const char* text)
{
    __atomic_add_fetch(&producersInside_, 1u, __ATOMIC_SEQ_CST);
    if (Load(loggingActive_)) {
        QueueRecord(text);
    }
    __atomic_sub_fetch(&producersInside_, 1u, __ATOMIC_SEQ_CST);
}

void DebugPrintClient::FormatV(const char* format, va_list arguments)
{
    if (!Load(loggingActive_)) {
        return;
    }
    // The fixed size fits on the stack: one allocation (the record) per
    // message instead of two.
    char buffer[kDebugPrintFormatSize];
    FormatDebugText(buffer, sizeof buffer, format, arguments);
    Text(buffer);
}

void DebugPrintClient::FormatSizedV(uint32_t size, const char* format, va_list arguments)
{
    if (!Load(loggingActive_)) {
        return;
    }
    if (size == 0) {
        Text("");  // nothing of the expansion fits, not even the terminator
        return;
    }
    char* buffer = static_cast<char*>(services_.pool->Allocate(size));
    if (buffer == nullptr) {
        Text(kNoFormatBuffer);
        return;
    }
    FormatDebugText(buffer, size, format, arguments);
    Text(buffer);
    services_.pool->Free(buffer);
}

void DebugPrintClient::QueueRecord(const char* text)
{
    const char* source = sourceName_;
    if (source == nullptr) {
        return;
    }
    TimeFields time;
    services_.clock->TimeToTimeFields(services_.clock->QuerySystemTime(), time);
    const uint16_t textBytes = RecordTextBytes(text);
    const uint32_t recordLength = DebugPrintRecordLength(sourceNameLength_, textBytes);
    void* block = services_.pool->Allocate(static_cast<uint32_t>(sizeof(PendingMessage)) + recordLength);
    if (block == nullptr) {
        return;
    }
    PendingMessage* message = static_cast<PendingMessage*>(block);
    message->recordLength = recordLength;
    BuildDebugPrintRecord(message->Record(), time, source, sourceNameLength_, text, textBytes);
    services_.pendingMessages->InsertTail(&message->link);
}

void DebugPrintClient::WriterRoutine(void* context) { static_cast<DebugPrintClient*>(context)->Writer(); }

void DebugPrintClient::Writer()
{
    services_.threads->SetCurrentPriority(kWriterPriority);
    void* handle = nullptr;
    const uint32_t status = OpenDebugPrintDevice(&handle);
    if (IsSuccess(status) && handle != nullptr) {
        for (;;) {
            services_.wakeEvent->WaitFor(kWriterWakeInterval);
            while (ListEntry* entry = services_.pendingMessages->RemoveHead()) {
                PendingMessage* message = reinterpret_cast<PendingMessage*>(entry);
                services_.device->Write(handle, message->Record(), message->recordLength);
                services_.pool->Free(message);
            }
            if (Load(stopRequested_)) {
                break;
            }
        }
        services_.device->Close(handle);
    }
    // Giving up (or stopping): producers that already passed their check may
    // still insert; wait for them so the discard leaves nothing behind.
    Store(loggingActive_, false);
    WaitForProducers();
    DiscardPendingMessages();
    // Once the event is set, Stop may return and the client go away: touch
    // nothing of it afterwards.
    SystemThreads* threads = services_.threads;
    services_.writerExitedEvent->Set();
    threads->TerminateCurrent(0);
}

uint32_t DebugPrintClient::OpenDebugPrintDevice(void** handle)
{
    uint32_t waits = 0;
    for (;;) {
        *handle = nullptr;
        const uint32_t status = services_.device->Open(kOpenParameters, handle);
        if (IsSuccess(status) && *handle != nullptr) {
            return status;
        }
        for (uint32_t i = 0; i < kWaitsBetweenOpenAttempts; ++i) {
            services_.wakeEvent->WaitFor(kWriterWakeInterval);
            if (Load(stopRequested_)) {
                return status;
            }
            ++waits;
        }
        if (waits >= kOpenGiveUpWaits) {
            return status;
        }
    }
}

void DebugPrintClient::DiscardPendingMessages()
{
    while (ListEntry* entry = services_.pendingMessages->RemoveHead()) {
        services_.pool->Free(entry);
    }
}

void DebugPrintClient::WaitForProducers()
{
    while (__atomic_load_n(&producersInside_, __ATOMIC_SEQ_CST) != 0) {
        services_.threads->Pause();
    }
}

void DebugPrintClient::ReleaseSourceName()
{
    if (sourceName_ != nullptr) {
        services_.pool->Free(sourceName_);
    }
    sourceName_ = nullptr;
    sourceNameLength_ = 0;
}

void DebugPrintFormat(DebugPrintClient& client, const char* format, ...)
{
    va_list arguments;
    va_start(arguments, format);
    client.FormatV(format, arguments);
    va_end(arguments);
}

}  // namespace olvexpin
