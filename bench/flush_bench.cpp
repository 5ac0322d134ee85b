// The library's flushes of the large sample phone, in a process of their own:
// this links the library's static core to read the channel's exchange count and
// to time no-op exchanges on the same connection. bench_mobrel runs it and takes
// in the figures it prints.
#include <chrono>
#include <cstdio>
#include <thread>

#include "flush_figures.h"
#include "mobrelclient.h"
#include "phonesim_fixture.h"

int main() {
    mobreltest::PhoneSim sim;
    std::fprintf(stderr, "starting phonesim with the large phone for the flushes\n");
    if (!sim.start({.dataset = "large"})) {
        std::fprintf(stderr, "bench_flush: %s\n", sim.error().c_str());
        return 1;
    }
    MobrelApi_Init();
    int detected = -1;
    for (int i = 0; i < 30 && detected != 0; ++i) {
        detected = MobrelApi_CheckDeviceDetected(0);
        if (detected != 0) std::this_thread::sleep_for(std::chrono::milliseconds(500));
    }
    if (detected != 0 || MobrelApi_ReadyTodoing(0) != 0) {
        std::fprintf(stderr, "bench_flush: the phone did not come up\n");
        return 1;
    }
    bench::Report report;
    bench::measureFlushes(report, sim.phonePid());
    report.write(stdout);
    return 0;
}
