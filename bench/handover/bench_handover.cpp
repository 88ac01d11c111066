// Wall time of `pinstrip --summon` handing its command to a running copy, from the launch to
// the end of the process, next to `pinstrip --version` (the same start without the hand-over).
// A channel in this process stands in for the running copy.
#include "CommandChannel.h"
#include "SingleInstance.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <algorithm>
#include <cstdio>
#include <ctime>
#include <spawn.h>
#include <sys/wait.h>
#include <vector>

extern char** environ;

namespace {

constexpr int rounds = 20;

double nowMs() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return double(now.tv_sec) * 1e3 + double(now.tv_nsec) / 1e6;
}

// Milliseconds from spawning the program to its end; negative when it failed.
double timedRun(const char* option) {
    char program[] = PINSTRIP_EXECUTABLE;
    char* argv[] = {program, const_cast<char*>(option), nullptr};
    const double start = nowMs();
    pid_t pid = 0;
    if (posix_spawn(&pid, program, nullptr, nullptr, argv, environ) != 0)
        return -1;
    int status = 0;
    waitpid(pid, &status, 0);
    const double elapsed = nowMs() - start;
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? elapsed : -1;
}

void report(const char* what, std::vector<double> samples) {
    std::sort(samples.begin(), samples.end());
    std::printf("%-22s median %6.2f ms   min %6.2f ms   max %6.2f ms   (%zu runs)\n", what,
                samples[samples.size() / 2], samples.front(), samples.back(), samples.size());
}

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    CommandChannel channel;
    const QString lock = SingleInstance::defaultLockPaths().front();
    if (!channel.listen(SingleInstance::channelPath(lock))) {
        std::fprintf(stderr, "cannot listen beside %s\n", qPrintable(lock));
        return 1;
    }
    int received = 0;
    QObject::connect(&channel, &CommandChannel::received, [&received] { ++received; });

    std::vector<double> handOver, version;
    for (int i = 0; i < rounds; ++i) {
        const double summon = timedRun("--summon");
        const double plain = timedRun("--version");
        if (summon < 0 || plain < 0) {
            std::fprintf(stderr, "a run failed\n");
            return 1;
        }
        handOver.push_back(summon);
        version.push_back(plain);
        QCoreApplication::processEvents();
    }
    QElapsedTimer waited;
    waited.start();
    while (received < rounds && waited.elapsed() < 5000)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 100);
    report("pinstrip --summon", handOver);
    report("pinstrip --version", version);
    std::printf("commands received by the running copy: %d of %d\n", received, rounds);
    return 0;
}
