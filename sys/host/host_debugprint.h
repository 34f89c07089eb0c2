// A debug-print client on the host binding, with every service it needs.
// The writer thread is joined before anything it uses goes away.
#ifndef OLVEXPIN_HOST_DEBUGPRINT_H
#define OLVEXPIN_HOST_DEBUGPRINT_H

#include "sys/debugprint/debugprint_client.h"
#include "sys/host/host_kernel.h"

namespace olvexpin::host {

class HostDebugPrint {
public:
    explicit HostDebugPrint(DebugPrintDevice& device,
                            std::chrono::nanoseconds realPerSecond = std::chrono::microseconds(200))
        : clock(realPerSecond),
          wakeEvent(clock),
          writerExitedEvent(clock),
          client(DebugPrintServices{&clock, &pool, &threads, &device, &wakeEvent, &writerExitedEvent,
                                    &pendingMessages})
    {
    }

    // An unload that never came: stop the client so the writer ends.
    ~HostDebugPrint()
    {
        client.Stop();
        threads.JoinAll();
    }

    HostDebugPrint(const HostDebugPrint&) = delete;
    HostDebugPrint& operator=(const HostDebugPrint&) = delete;

    SimulatedClock clock;
    HostPool pool;
    HostEvent wakeEvent;
    HostEvent writerExitedEvent;
    HostList pendingMessages;
    HostThreads threads;
    DebugPrintClient client;
};

}  // namespace olvexpin::host

#endif  // OLVEXPIN_HOST_DEBUGPRINT_H
