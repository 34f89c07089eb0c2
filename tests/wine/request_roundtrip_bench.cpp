// The round trip of one data request (read the data register: input 0,
// output 1) to OlvexPin, with its debug-print client active, against the
// same request to a device that only completes it. Both run side by side in
// one process, in alternating rounds, so the machine's state is shared.
//
// usage: request_roundtrip_bench [requests per round] [rounds]
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "common/olvexpin_contract.h"
#include "tests/wine/test_drivers.h"

namespace {

double MicrosecondsPerRequest(HANDLE device, int requests)
{
    LARGE_INTEGER frequency, start, end;
    QueryPerformanceFrequency(&frequency);
    unsigned char reply = 0;
    DWORD returned = 0;
    QueryPerformanceCounter(&start);
    for (int i = 0; i < requests; ++i) {
        if (!DeviceIoControl(device, IOCTL_OLVEXPINXA_DATA, nullptr, 0, &reply, 1, &returned, nullptr)) {
            std::printf("request failed: error %lu\n", GetLastError());
            std::exit(1);
        }
    }
    QueryPerformanceCounter(&end);
    return 1e6 * static_cast<double>(end.QuadPart - start.QuadPart) / static_cast<double>(frequency.QuadPart) /
           requests;
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

}  // namespace

int main(int argc, char** argv)
{
    const int requests = argc > 1 ? std::atoi(argv[1]) : 2000;
    const int rounds = argc > 2 ? std::atoi(argv[2]) : 7;
    HANDLE olvexpin = CreateFileA(OLVEXPIN_USER_DEVICE_PATH, GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                  OPEN_EXISTING, 0, nullptr);
    HANDLE minimal = CreateFileA(BENCH_LINK_NAME, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0,
                                 nullptr);
    if (olvexpin == INVALID_HANDLE_VALUE || minimal == INVALID_HANDLE_VALUE) {
        std::printf("cannot open the devices (error %lu)\n", GetLastError());
        return 1;
    }
    MicrosecondsPerRequest(olvexpin, requests / 10 + 1);  // warm up both paths
    MicrosecondsPerRequest(minimal, requests / 10 + 1);
    std::vector<double> olvexpinTimes, minimalTimes;
    for (int round = 0; round < rounds; ++round) {
        olvexpinTimes.push_back(MicrosecondsPerRequest(olvexpin, requests));
        minimalTimes.push_back(MicrosecondsPerRequest(minimal, requests));
    }
    const double a = Median(olvexpinTimes), b = Median(minimalTimes);
    std::printf("data request round trip, median of %d rounds of %d requests:\n", rounds, requests);
    std::printf("  OlvexPin (debug-print active)  %8.1f us\n", a);
    std::printf("  minimal completing driver      %8.1f us\n", b);
    std::printf("  ratio                          %8.3f (target: at most 1.1)\n", a / b);
    CloseHandle(olvexpin);
    CloseHandle(minimal);
    return 0;
}
