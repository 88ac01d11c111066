// Measures, for pinstrip and for a bare Qt Quick window, the time from launch to the first
// rendered frame and the resident memory 2 s later; then pinstrip's CPU time over an idle spell.
// The first frame is read from Qt's own render-loop timing log on the child's stderr, so the
// product carries no measuring hooks.
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QThread>
#include <algorithm>
#include <cstdio>
#include <optional>
#include <unistd.h>

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

std::optional<double> rssMb(qint64 pid) {
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return std::nullopt;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toDouble() / 1024.0;
    }
    return std::nullopt;
}

std::optional<double> cpuMs(qint64 pid) {
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QByteArray text = stat.readAll();
    // Fields after the parenthesised command name; utime and stime are the 14th and 15th.
    const QList<QByteArray> fields = text.mid(text.lastIndexOf(')') + 2).split(' ');
    if (fields.size() < 13)
        return std::nullopt;
    const double ticks = fields[11].toDouble() + fields[12].toDouble();
    return ticks * 1000.0 / double(sysconf(_SC_CLK_TCK));
}

// Starts the program and waits for its first rendered frame; the process is left running.
std::optional<double> launch(QProcess& process, const QString& program) {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_LOGGING_RULES"),
                       QStringLiteral("qt.scenegraph.time.renderloop=true"));
    process.setProcessEnvironment(environment);
    process.setProcessChannelMode(QProcess::MergedChannels);
    QElapsedTimer clock;
    clock.start();
    process.start(program, {});
    if (!process.waitForStarted())
        return std::nullopt;
    QByteArray pending;
    while (clock.elapsed() < frameTimeoutMs) {
        if (!process.waitForReadyRead(frameTimeoutMs))
            return std::nullopt;
        pending += process.readAll();
        if (pending.contains("frame rendered") || pending.contains("Frame rendered"))
            return clock.nsecsElapsed() / 1e6;
    }
    return std::nullopt;
}

void finish(QProcess& process) {
    process.terminate();
    if (!process.waitForFinished(5000)) {
        process.kill();
        process.waitForFinished();
    }
}

std::optional<Sample> measure(const QString& program) {
    QProcess process;
    const std::optional<double> frame = launch(process, program);
    if (!frame) {
        std::fprintf(stderr, "no first frame from %s\n", qPrintable(program));
        finish(process);
        return std::nullopt;
    }
    QThread::msleep(settleMs);
    process.readAll();
    const std::optional<double> rss = rssMb(process.processId());
    finish(process);
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

    QProcess process;
    if (!launch(process, pinstrip)) {
        finish(process);
        return 1;
    }
    QThread::msleep(settleMs);
    const std::optional<double> before = cpuMs(process.processId());
    QThread::sleep(static_cast<unsigned long>(idleSeconds));
    const std::optional<double> after = cpuMs(process.processId());
    const QByteArray log = process.readAll();
    finish(process);
    if (!before || !after)
        return 1;
    std::printf("idle, strip shown, %d s: pinstrip used %.0f ms of CPU time, %lld frames rendered "
                "(target: 0 ms)\n",
                idleSeconds, *after - *before, static_cast<long long>(log.count("rendered")));
    return 0;
}
