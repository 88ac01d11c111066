// Measures, for pinstrip and for a bare Qt Quick window, the time from launch to the first
// rendered frame and the resident memory 2 s later; then pinstrip's CPU time over an idle spell.
#include "QuickChild.h"

#include <QCoreApplication>
#include <QThread>
#include <algorithm>
#include <cstdio>
#include <optional>
#include <vector>

namespace {

constexpr int rounds = 7;
constexpr int settleMs = 2000;
constexpr int frameTimeoutMs = 20000;

struct Sample {
    double firstFrameMs = 0;
    double rssMb = 0;
};

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

std::optional<Sample> measure(const QString& program) {
    QuickChild child;
    const std::optional<double> frame = child.start(program, frameTimeoutMs);
    if (!frame) {
        std::fprintf(stderr, "no first frame from %s\n", qPrintable(program));
        return std::nullopt;
    }
    QThread::msleep(settleMs);
    const std::optional<double> rss = child.residentMb();
    if (!rss)
        return std::nullopt;
    return Sample{*frame, *rss};
}

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    if (argc < 3) {
        std::fprintf(stderr, "usage: startup_probe <pinstrip> <bare window>\n");
        return 2;
    }
    const QString pinstrip = QString::fromLocal8Bit(argv[1]);
    const QString bare = QString::fromLocal8Bit(argv[2]);
    const int idleSeconds = qEnvironmentVariableIsSet("PINSTRIP_BENCH_IDLE_SECONDS")
                                ? qEnvironmentVariableIntValue("PINSTRIP_BENCH_IDLE_SECONDS")
                                : 30;

    std::vector<double> frames[2];
    std::vector<double> memory[2];
    for (int round = 0; round < rounds; ++round) {
        // Alternate so that a warming disk cache or a busy neighbour affects both alike.
        for (int which : {round % 2, 1 - round % 2}) {
            const std::optional<Sample> sample = measure(which == 0 ? pinstrip : bare);
            if (!sample)
                return 1;
            frames[which].push_back(sample->firstFrameMs);
            memory[which].push_back(sample->rssMb);
        }
    }
    const double frameP = median(frames[0]);
    const double frameB = median(frames[1]);
    const double rssP = median(memory[0]);
    const double rssB = median(memory[1]);
    std::printf(
        "start-up to first frame, median of %d: pinstrip %.1f ms, bare Qt Quick window %.1f ms, "
        "ratio %.2f (target <= 1.30)\n",
        rounds, frameP, frameB, frameP / frameB);
    std::printf("resident memory 2 s after first frame, median of %d: pinstrip %.1f MB, bare "
                "window %.1f MB, "
                "ratio %.2f (target <= 1.20)\n",
                rounds, rssP, rssB, rssP / rssB);

    QuickChild child;
    if (!child.start(pinstrip, frameTimeoutMs))
        return 1;
    QThread::msleep(settleMs);
    (void)child.readLog();
    const std::optional<double> before = child.cpuMs();
    QThread::sleep(static_cast<unsigned long>(idleSeconds));
    const std::optional<double> after = child.cpuMs();
    const QByteArray log = child.readLog();
    if (!before || !after)
        return 1;
    std::printf("idle, strip shown, %d s: pinstrip used %.0f ms of CPU time, %lld frames rendered "
                "(target: 0 ms)\n",
                idleSeconds, *after - *before, static_cast<long long>(log.count("rendered")));
    return 0;
}
