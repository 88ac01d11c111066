// Start-up to first frame of pinstrip with a heavy user's file (10,000 entries today, 120
// archived days of 200) next to an empty one, and the resident memory once shown.
//
//   load_startup_probe <pinstrip>     (inside an X session; see bench_load_startup)
#include "QuickChild.h"
#include "StateFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QThread>

#include <algorithm>
#include <cstdio>
#include <optional>

namespace {

constexpr int frameTimeoutMs = 120000;

TodoState heavyState() {
    TodoState state;
    auto item = [](int n, ItemStatus status) {
        return TodoItem{QUuid::createUuid(),
                        QStringLiteral("#%1 call the bank about the invoice, notes/slides").arg(n),
                        status};
    };
    for (int i = 0; i < 10000; ++i)
        state.items.append(item(i, i < 100 ? ItemStatus::inProgress : ItemStatus::open));
    for (int d = 0; d < 120; ++d) {
        ArchivedDay day{QDateTime(QDate(2026, 1, 1), QTime(18, 0))
                            .addDays(-d)
                            .toString(QStringLiteral("yyyy-MM-dd HH:mm")),
                        {}};
        for (int i = 0; i < 200; ++i)
            day.items.append(item(d * 1000 + i, ItemStatus::done));
        state.archive.append(day);
    }
    return state;
}

struct Sample {
    double firstFrameMs = 0;
    double rssMb = 0;
};

std::optional<Sample> measure(const QString& program) {
    QuickChild child;
    const std::optional<double> frame = child.start(program, frameTimeoutMs);
    if (!frame)
        return std::nullopt;
    QThread::msleep(1000);
    const std::optional<double> rss = child.residentMb();
    if (!rss)
        return std::nullopt;
    return Sample{*frame, *rss};
}

bool report(const char* what, const QString& program, int rounds) {
    std::vector<double> frames;
    std::vector<double> memory;
    for (int round = 0; round < rounds; ++round) {
        const std::optional<Sample> sample = measure(program);
        if (!sample) {
            std::printf("%s: no first frame within %d s\n", what, frameTimeoutMs / 1000);
            return false;
        }
        frames.push_back(sample->firstFrameMs);
        memory.push_back(sample->rssMb);
    }
    std::sort(frames.begin(), frames.end());
    std::sort(memory.begin(), memory.end());
    std::printf("%-44s first frame median %8.1f ms (worst %8.1f), resident %6.1f MB\n", what,
                frames[rounds / 2], frames.back(), memory[rounds / 2]);
    return true;
}

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: load_startup_probe <pinstrip>\n");
        return 2;
    }
    const QString pinstrip = QString::fromLocal8Bit(argv[1]);
    const QString folder = StateFile::defaultFolder();
    const auto clock = [] { return QDateTime::currentDateTime(); };
    QFile::remove(folder + QStringLiteral("/todo.json"));
    if (!report("empty list", pinstrip, 5))
        return 1;
    StateFile(folder, clock).write(heavyState());
    std::printf("heavy file: %.1f MB\n",
                static_cast<double>(QFile(folder + QStringLiteral("/todo.json")).size()) /
                    1048576.0);
    return report("10,000 entries, 120 archived days of 200", pinstrip, 3) ? 0 : 1;
}
