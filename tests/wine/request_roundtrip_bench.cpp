// The round trip of one data request (read the data register: input 0,
// output 1) to OlvexPin, with its debug-print client active, against the
// same request to a device that only completes it.
//
// Both are measured side by side in one process: the requests alternate one
// by one, each timed on its own, so whatever else the machine does at a
// moment (OlvexPin's own record writer included, which wakes once a second
// and hands the queued records to the debug-print device) falls on both
// alike. Each round reports the median time of each device's requests; the
// figure is the median over the rounds.
//
// usage: request_roundtrip_bench [request pairs per round] [rounds]
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "common/olvexpin_contract.h"
#include "tests/wine/test_drivers.h"

namespace {

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

struct Round {
    double olvexpin;
    double minimal;
};

// Writes the substitute debug-print device has received so far, or -1.
long long DebugPrintWrites()
{
    HANDLE reader = CreateFileA(VYR_TEST_LINK_NAME, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0,
                                nullptr);
    if (reader == INVALID_HANDLE_VALUE) return -1;
    unsigned int writes = 0;
    DWORD returned = 0;
    const BOOL ok = DeviceIoControl(reader, VYR_TEST_COUNT_WRITES, nullptr, 0, &writes, sizeof writes, &returned,
                                    nullptr);
    CloseHandle(reader);
    return ok && returned == sizeof writes ? writes : -1;
}

class Timer {
public:
    Timer() { QueryPerformanceFrequency(&frequency_); }

    // One request, in microseconds.
    double Request(HANDLE device) const
    {
        unsigned char reply = 0;
        DWORD returned = 0;
        LARGE_INTEGER start, end;
        QueryPerformanceCounter(&start);
        const BOOL ok = DeviceIoControl(device, IOCTL_OLVEXPINXA_DATA, nullptr, 0, &reply, 1, &returned, nullptr);
        QueryPerformanceCounter(&end);
        if (!ok || returned != 1) {
            std::printf("request failed: error %lu, %lu bytes\n", GetLastError(), returned);
            std::exit(1);
        }
        return 1e6 * static_cast<double>(end.QuadPart - start.QuadPart) / static_cast<double>(frequency_.QuadPart);
    }

    Round Alternating(HANDLE olvexpin, HANDLE minimal, int pairs) const
    {
        std::vector<double> a, b;
        a.reserve(pairs);
        b.reserve(pairs);
        for (int i = 0; i < pairs; ++i) {
            // Which device goes first alternates too.
            if (i % 2 == 0) {
                a.push_back(Request(olvexpin));
                b.push_back(Request(minimal));
            } else {
                b.push_back(Request(minimal));
                a.push_back(Request(olvexpin));
            }
        }
        return {Median(a), Median(b)};
    }

private:
    LARGE_INTEGER frequency_;
};

}  // namespace

int main(int argc, char** argv)
{
    const int pairs = argc > 1 ? std::atoi(argv[1]) : 2000;
    const int rounds = argc > 2 ? std::atoi(argv[2]) : 7;
    if (pairs < 1 || rounds < 1) {
        std::printf("usage: request_roundtrip_bench [request pairs per round] [rounds]\n");
        return 2;
    }
    HANDLE olvexpin = CreateFileA(OLVEXPIN_USER_DEVICE_PATH, GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                  OPEN_EXISTING, 0, nullptr);
    HANDLE minimal = CreateFileA(BENCH_LINK_NAME, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0,
                                 nullptr);
    if (olvexpin == INVALID_HANDLE_VALUE || minimal == INVALID_HANDLE_VALUE) {
        std::printf("cannot open the devices (error %lu)\n", GetLastError());
        return 1;
    }
    const Timer timer;
    timer.Alternating(olvexpin, minimal, pairs / 10 + 1);  // warm up both paths
    Sleep(1500);  // the writer hands over what the warm-up queued
    const long long writesBefore = DebugPrintWrites();
    std::vector<double> olvexpinTimes, minimalTimes, ratios;
    for (int round = 0; round < rounds; ++round) {
        const Round r = timer.Alternating(olvexpin, minimal, pairs);
        olvexpinTimes.push_back(r.olvexpin);
        minimalTimes.push_back(r.minimal);
        ratios.push_back(r.olvexpin / r.minimal);
    }
    std::printf("data request round trip, alternating requests, median of %d rounds of %d pairs:\n", rounds,
                pairs);
    std::printf("  OlvexPin (debug-print active)  %8.1f us\n", Median(olvexpinTimes));
    std::printf("  minimal completing driver      %8.1f us\n", Median(minimalTimes));
    std::printf("  ratio                          %8.3f (target: at most 1.1; rounds %.3f to %.3f)\n",
                Median(ratios), *std::min_element(ratios.begin(), ratios.end()),
                *std::max_element(ratios.begin(), ratios.end()));
    // The records of the measured requests, all delivered once the writer
    // has caught up (the count holds still over one of its rounds): evidence
    // that the client was writing throughout.
    long long writesAfter = DebugPrintWrites();
    for (int wait = 0; wait < 20; ++wait) {
        Sleep(1200);
        const long long now = DebugPrintWrites();
        if (now == writesAfter) break;
        writesAfter = now;
    }
    if (writesBefore < 0 || writesAfter < 0) {
        std::printf("  the debug-print device cannot be asked for its writes\n");
    } else {
        std::printf("  records the debug-print device received: %lld (%.2f per OlvexPin request)\n",
                    writesAfter - writesBefore,
                    static_cast<double>(writesAfter - writesBefore) / (static_cast<double>(pairs) * rounds));
    }
    CloseHandle(olvexpin);
    CloseHandle(minimal);
    return 0;
}
