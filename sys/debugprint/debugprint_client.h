// The debug-print client: producers turn a message into a time-stamped record
// and queue it without waiting; one system thread opens the outside device
// and writes the queue to it, oldest first, waking at least once a second.
//
// Producers may run at dispatch level inside the driver's spin lock (lock
// order: deviceLock, then the queue's lock), so they never wait and never do
// file I/O. Start and stop run at passive level, once each, from the driver's
// entry and unload routines.
#ifndef OLVEXPIN_DEBUGPRINT_CLIENT_H
#define OLVEXPIN_DEBUGPRINT_CLIENT_H

#include <stdarg.h>
#include <stdint.h>

#include "sys/kernel.h"
#include "sys/kernel_services.h"

namespace olvexpin {

inline constexpr const char* kDebugPrintDeviceName = "\\Device\\VyrDebugPrint";
inline constexpr uint32_t kDebugPrintFormatSize = 100;

// The writer's rhythm: it wakes at least once a second; a failed open is
// retried after 20 wake-ups, for at most 300 of them (15 attempts, about five
// minutes), then the client gives up.
inline constexpr int64_t kWriterWakeInterval = kTimeUnitsPerSecond;
inline constexpr uint32_t kWaitsBetweenOpenAttempts = 20;
inline constexpr uint32_t kOpenGiveUpWaits = 300;
inline constexpr int32_t kWriterPriority = 16;  // the lowest real-time priority

class DebugPrintClient final : public DebugPrint {
public:
    // Binds the services; the client is Off until Start. Constant-initialised,
    // so a driver-wide instance needs no constructor at load.
    explicit constexpr DebugPrintClient(const DebugPrintServices& services) : services_(services) {}

    void Start(const char* sourceName);
    void Stop();

    void Text(const char* text) override;
    // DebugPrintFormat: at most 99 characters.
    void FormatV(const char* format, va_list arguments) override;
    void FormatSizedV(uint32_t size, const char* format, va_list arguments);

    bool LoggingActive() const;

private:
    struct PendingMessage;

    static void WriterRoutine(void* context);
    void Writer();
    uint32_t OpenDebugPrintDevice(void** handle);
    void QueueRecord(const char* text);
    void DiscardPendingMessages();
    void WaitForProducers();
    void ReleaseSourceName();

    DebugPrintServices services_;
    bool loggingActive_ = false;     // read by producers without a lock: atomic accesses
    bool stopRequested_ = false;     // likewise, read by the writer
    uint32_t producersInside_ = 0;   // producers between their check of loggingActive_ and their insert
    char* sourceName_ = nullptr;
    uint16_t sourceNameLength_ = 0;  // with terminator
    void* writerThread_ = nullptr;
};

// The client's routines under the names the rest of the driver uses.
inline void DebugPrintStart(DebugPrintClient& client, const char* sourceName) { client.Start(sourceName); }
inline void DebugPrintStop(DebugPrintClient& client) { client.Stop(); }
inline void DebugPrintText(DebugPrintClient& client, const char* text) { client.Text(text); }
void DebugPrintFormat(DebugPrintClient& client, const char* format, ...);
inline void DebugPrintFormatSized(DebugPrintClient& client, uint32_t size, const char* format,
                                  va_list arguments)
{
    client.FormatSizedV(size, format, arguments);
}

}  // namespace olvexpin

#endif  // OLVEXPIN_DEBUGPRINT_CLIENT_H
