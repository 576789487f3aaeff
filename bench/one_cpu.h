#pragma once

#include <sched.h>

#include <cstdio>

namespace tulvo::bench {

// Keeps the calling thread, and every thread it starts from now on (the
// simulated gateway's), on the CPU it runs on. A transaction is a hand-over
// between the link and the simulated gateway; on a shared virtual machine a
// hand-over to another CPU costs a wake-up of the host's choosing, tens of
// microseconds that vary from run to run and belong to neither side. On one
// CPU the figures measure the two sides' own work. Says what it did.
inline void RunOnOneCpu(const char* benchmark) {
    const int cpu = sched_getcpu();
    cpu_set_t set;
    CPU_ZERO(&set);
    if (cpu >= 0) {
        CPU_SET(cpu, &set);
    }
    if (cpu < 0 || sched_setaffinity(0, sizeof set, &set) != 0) {
        std::printf("%s: could not keep to one CPU; figures include cross-CPU wake-ups\n",
                    benchmark);
        return;
    }
    std::printf("%s: the link and the simulated gateway share CPU %d\n", benchmark, cpu);
}

}  // namespace tulvo::bench
