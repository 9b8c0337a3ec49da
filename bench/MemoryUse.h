#pragma once
// The process's resident memory as Linux reports it in /proc/self, for the
// benchmarks' memory figures.
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace benchmemory {

// A line of /proc/self/status in KiB ("VmRSS" now, "VmHWM" the peak).
inline long StatusKiB(const char* key) {
    FILE* f = std::fopen("/proc/self/status", "r");
    if (!f) return 0;
    char line[256];
    long kib = 0;
    const std::size_t n = std::strlen(key);
    while (std::fgets(line, sizeof line, f))
        if (std::strncmp(line, key, n) == 0 && line[n] == ':') {
            kib = std::atol(line + n + 1);
            break;
        }
    std::fclose(f);
    return kib;
}

inline long CurrentRssKiB() { return StatusKiB("VmRSS"); }
// The peak resident size since the last ResetPeakRss.
inline long PeakRssKiB() { return StatusKiB("VmHWM"); }

// Restarts the peak resident size count (/proc/self/clear_refs).
inline void ResetPeakRss() {
    if (FILE* f = std::fopen("/proc/self/clear_refs", "w")) {
        std::fputs("5", f);
        std::fclose(f);
    }
}

}  // namespace benchmemory
