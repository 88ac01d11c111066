// Saving and loading a large, realistic state: StateFile against a bare POSIX
// write + fsync + rename of the same bytes, measured in the same run.
#include "StateFile.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <fcntl.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr int rounds = 41;

TodoState realisticState() {
    const char* const words[] = {"Call",  "the",    "bank",   "about", "invoice", "review",
                                 "notes", "slides", "Book",   "train", "tickets", "Grüße",
                                 "team",  "plan",   "sprint", "email", "follow",  "up/down"};
    auto title = [&words](int seed) {
        QString text;
        for (int w = 0; w < 3 + seed % 5; ++w)
            text += QString::fromUtf8(words[(seed * 7 + w * 3) % 18]) + QLatin1Char(' ');
        return text.trimmed();
    };
    auto status = [](int seed) {
        return seed % 3 == 0 ? ItemStatus::done
                             : (seed % 3 == 1 ? ItemStatus::open : ItemStatus::inProgress);
    };
    TodoState state;
    int seed = 0;
    for (int i = 0; i < 50; ++i, ++seed)
        state.items.append({QUuid::createUuid(), title(seed), status(seed)});
    for (int day = 0; day < 120; ++day) {
        ArchivedDay archived{QStringLiteral("2025-%1-%2 18:%3")
                                 .arg(1 + day % 12, 2, 10, QLatin1Char('0'))
                                 .arg(1 + day % 28, 2, 10, QLatin1Char('0'))
                                 .arg(day % 60, 2, 10, QLatin1Char('0')),
                             {}};
        for (int i = 0; i < 40; ++i, ++seed)
            archived.items.append({QUuid::createUuid(), title(seed), status(seed)});
        state.archive.append(archived);
    }
    return state;
}

bool plainSave(const QByteArray& folder, const QByteArray& bytes) {
    const QByteArray temporary = folder + "/todo.json.tmp";
    const QByteArray target = folder + "/todo.json";
    const int fd = ::open(temporary.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0)
        return false;
    const bool ok =
        ::write(fd, bytes.constData(), static_cast<size_t>(bytes.size())) == bytes.size() &&
        ::fsync(fd) == 0;
    ::close(fd);
    if (!ok || ::rename(temporary.constData(), target.constData()) != 0)
        return false;
    const int dir = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
    return true;
}

// Processor time of this thread: on a shared machine it shows the work apart from the wait.
double cpuMs() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) / 1e6;
}

struct Samples {
    std::vector<double> wall;
    std::vector<double> cpu;
};

template <typename Work> void measure(Samples& samples, Work work) {
    QElapsedTimer timer;
    const double cpuStart = cpuMs();
    timer.start();
    work();
    samples.wall.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e6);
    samples.cpu.push_back(cpuMs() - cpuStart);
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

} // namespace

int main() {
    QTemporaryDir ours;
    QTemporaryDir plain;
    if (!ours.isValid() || !plain.isValid()) {
        std::puts("no temporary folder");
        return 1;
    }
    const TodoState state = realisticState();
    const QByteArray bytes = StateCodec::encode(state);
    const QByteArray plainFolder = QFile::encodeName(plain.path());
    StateFile stateFile(ours.path(), [] { return QDateTime::currentDateTime(); });

    Samples saves;
    Samples plainSaves;
    Samples archivingSaves;
    int failures = 0;
    // Interleaved so that both see the same disk conditions.
    for (int i = 0; i < rounds; ++i) {
        measure(saves, [&] { failures += stateFile.write(state) ? 0 : 1; });
        measure(plainSaves, [&] { failures += plainSave(plainFolder, bytes) ? 0 : 1; });
    }
    // The save that follows an archiving encodes the whole archive again.
    for (int i = 0; i < rounds; ++i) {
        TodoState archived = state;
        archived.archive.detach();
        measure(archivingSaves, [&] { failures += stateFile.write(archived) ? 0 : 1; });
    }

    Samples loads;
    qsizetype loaded = 0;
    for (int i = 0; i < rounds; ++i) {
        measure(loads, [&] {
            StateFile reader(ours.path(), [] { return QDateTime::currentDateTime(); });
            loaded += reader.read().archive.size();
        });
    }

    const double save = median(saves.wall);
    const double plainSaveMs = median(plainSaves.wall);
    std::printf("state: %lld bytes, %lld entries today, %lld archived days of 40\n",
                static_cast<long long>(bytes.size()), static_cast<long long>(state.items.size()),
                static_cast<long long>(state.archive.size()));
    std::printf("medians of %d runs, wall clock (processor time in brackets)\n", rounds);
    std::printf("save (encode + private atomic write): %8.3f ms (%.3f ms)\n", save,
                median(saves.cpu));
    std::printf("plain write + fsync + rename:         %8.3f ms (%.3f ms)\n", plainSaveMs,
                median(plainSaves.cpu));
    std::printf("save ratio: %.2f (target <= 1.5)\n", save / plainSaveMs);
    std::printf("save after archiving (whole file encoded): %8.3f ms (%.3f ms)\n",
                median(archivingSaves.wall), median(archivingSaves.cpu));
    std::printf("load (read + decode):                 %8.3f ms (%.3f ms) (target <= 5 ms)\n",
                median(loads.wall), median(loads.cpu));
    std::printf("failed writes: %d, archived days loaded per read: %lld\n", failures,
                static_cast<long long>(loaded / rounds));
    return 0;
}
