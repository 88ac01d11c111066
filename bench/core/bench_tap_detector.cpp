// Throughput of the double-tap detector over a long recorded sequence of reports, and a
// count of heap allocations made while it runs (there must be none).
#include "AllocationCounter.h"
#include "TapDetector.h"

#include <chrono>
#include <cstdio>
#include <ctime>
#include <vector>

namespace {

struct Report {
    bool down;
    bool other;
    double at;
};

// A day of typing: taps, double taps, chords, long holds and cancels mixed.
std::vector<Report> recordedSequence(std::size_t count) {
    std::vector<Report> reports;
    reports.reserve(count);
    double t = 0;
    unsigned state = 12345;
    auto next = [&state] {
        state = state * 1103515245u + 12345u;
        return (state >> 16) & 0x7fff;
    };
    while (reports.size() + 2 <= count) {
        const unsigned r = next();
        const bool other = r % 17 == 0;
        const double hold = (r % 100 < 80 ? 0.05 : 0.4) + (r % 7) * 0.01;
        reports.push_back({true, other, t});
        reports.push_back({false, other, t + hold});
        t += hold + (r % 10 < 6 ? 0.1 : 0.6);
    }
    return reports;
}

} // namespace

int main() {
    const std::vector<Report> reports = recordedSequence(10'000'000);
    constexpr int passes = 10;

    const long long allocationsBefore = AllocationCounter::count();
    long long answers = 0;
    timespec cpuStart{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &cpuStart);
    const auto start = std::chrono::steady_clock::now();
    for (int pass = 0; pass < passes; ++pass) {
        TapDetector detector;
        int untilCancel = 97;
        for (const Report& report : reports) {
            if (--untilCancel == 0) {
                detector.cancel();
                untilCancel = 97;
            }
            answers += detector.flagsChanged(report.down, report.other, report.at) ? 1 : 0;
        }
    }
    const auto elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - start);
    timespec cpuEnd{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &cpuEnd);
    const double cpuSeconds = static_cast<double>(cpuEnd.tv_sec - cpuStart.tv_sec) +
                              static_cast<double>(cpuEnd.tv_nsec - cpuStart.tv_nsec) / 1e9;
    const long long allocationsDuring = AllocationCounter::count() - allocationsBefore;

    const double total = static_cast<double>(reports.size()) * passes;
    std::printf("reports: %.0f in %.3f s, double taps recognised: %lld\n", total, elapsed.count(),
                answers);
    std::printf("throughput: %.1f million reports per second of wall clock, %.1f per second of "
                "processor time (target >= 100)\n",
                total / elapsed.count() / 1e6, total / cpuSeconds / 1e6);
    std::printf("heap allocations while detecting: %lld (must be 0)\n", allocationsDuring);
    return 0;
}
