// Measures, for pinstrip, a Qt Quick window showing one line of text and a bare Qt Quick window,
// the time from launch to the first rendered frame and the resident memory 2 s later; then
// pinstrip's CPU time over an idle spell.
#include "QuickChild.h"

#include <QCoreApplication>
#include <QThread>
#include <algorithm>
#include <cstdio>
#include <optional>
#include <vector>

namespace {

constexpr int settleMs = 2000;
constexpr int frameTimeoutMs = 20000;

struct Sample {
    double firstFrameMs = 0;
    double cpuMs = 0;
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
    const std::optional<double> cpu = child.cpuToFirstFrameMs();
    QThread::msleep(settleMs);
    const std::optional<double> rss = child.residentMb();
    if (!rss || !cpu)
        return std::nullopt;
    return Sample{*frame, *cpu, *rss};
}

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    if (argc < 4) {
        std::fprintf(stderr, "usage: startup_probe <pinstrip> <text window> <bare window>\n");
        return 2;
    }
    const QString programs[] = {QString::fromLocal8Bit(argv[1]), QString::fromLocal8Bit(argv[2]),
                                QString::fromLocal8Bit(argv[3])};
    const QString& pinstrip = programs[0];
    const int rounds = qEnvironmentVariableIsSet("PINSTRIP_BENCH_ROUNDS")
                           ? qEnvironmentVariableIntValue("PINSTRIP_BENCH_ROUNDS")
                           : 7;
    const int idleSeconds = qEnvironmentVariableIsSet("PINSTRIP_BENCH_IDLE_SECONDS")
                                ? qEnvironmentVariableIntValue("PINSTRIP_BENCH_IDLE_SECONDS")
                                : 30;

    constexpr int count = std::size(programs);
    std::vector<Sample> samples[count];
    for (int round = 0; round < rounds; ++round) {
        // Rotate the order so that a warming disk cache or a busy neighbour affects all alike.
        for (int step = 0; step < count; ++step) {
            const int which = (round + step) % count;
            const std::optional<Sample> sample = measure(programs[which]);
            if (!sample)
                return 1;
            samples[which].push_back(*sample);
        }
    }
    std::printf("median of %d            pinstrip   text window   bare window   pinstrip/text\n",
                rounds);
    const auto row = [&samples](const char* name, double Sample::*field, const char* target) {
        double value[count];
        for (int which = 0; which < count; ++which) {
            std::vector<double> values;
            for (const Sample& sample : samples[which])
                values.push_back(sample.*field);
            value[which] = median(values);
        }
        std::printf("%-22s %8.1f   %11.1f   %11.1f   %5.2f%s\n", name, value[0], value[1], value[2],
                    value[0] / value[1], target);
    };
    row("first frame (ms)", &Sample::firstFrameMs, " (target <= 1.30)");
    row("CPU to first frame (ms)", &Sample::cpuMs, "");
    row("memory (MB)", &Sample::rssMb, " (target <= 1.15)");
    std::printf("(memory is resident, %d s after the first frame)\n", settleMs / 1000);

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
