// A heavy user's file: 10,000 entries today and 120 archived days of 200 entries. Prints the
// time of the start and of each store operation with its save at that size, and the save
// alone. Then a long session on an ordinary day's file (50 entries, 120 archived days of 40):
// resident memory after 100 and after 10,000 operations.
#include "StateFile.h"
#include "TodoStore.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <random>
#include <time.h>

namespace {

constexpr int todayCount = 10000;
constexpr int archivedDays = 120;
constexpr int entriesPerDay = 200;

QString title(int n) {
    static const QStringList words{
        QStringLiteral("Call"),       QStringLiteral("the bank"), QStringLiteral("about"),
        QStringLiteral("invoice"),    QStringLiteral("review"),   QStringLiteral("notes/slides"),
        QStringLiteral("für"),        QStringLiteral("Müller"),   QStringLiteral("\u65e5\u672c"),
        QStringLiteral("\U0001F4CC"), QStringLiteral("and"),      QStringLiteral("send"),
    };
    QString text = QStringLiteral("#%1").arg(n);
    for (int i = 0; i < 4 + n % 5; ++i)
        text += QLatin1Char(' ') + words.at((n * 7 + i * 3) % words.size());
    return text;
}

TodoState makeState(int today, int days, int perDay) {
    TodoState state;
    std::mt19937 random(42);
    for (int i = 0; i < today; ++i)
        state.items.append(
            TodoItem{QUuid::createUuid(), title(i), static_cast<ItemStatus>(random() % 3)});
    std::stable_sort(state.items.begin(), state.items.end(),
                     [](const TodoItem& a, const TodoItem& b) {
                         return itemStatusRank(a.status) < itemStatusRank(b.status);
                     });
    for (int d = 0; d < days; ++d) {
        ArchivedDay day;
        day.date = QDateTime(QDate(2026, 1, 1), QTime(18, 0))
                       .addDays(-d)
                       .toString(QStringLiteral("yyyy-MM-dd HH:mm"));
        for (int i = 0; i < perDay; ++i)
            day.items.append(TodoItem{QUuid::createUuid(), title(d * 1000 + i),
                                      static_cast<ItemStatus>(random() % 3)});
        state.archive.append(day);
    }
    return state;
}

double processorMs() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) / 1e6;
}

// Wall clock and processor time: the machine may be shared, and the processor time shows
// what the work itself costs.
struct Stats {
    double median = 0;
    double worst = 0;
    double processor = 0;
};

Stats measure(int runs, const std::function<void()>& work) {
    QList<double> times;
    QList<double> processor;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer timer;
        const double start = processorMs();
        timer.start();
        work();
        times.append(static_cast<double>(timer.nsecsElapsed()) / 1e6);
        processor.append(processorMs() - start);
    }
    std::sort(times.begin(), times.end());
    std::sort(processor.begin(), processor.end());
    return {times.at(times.size() / 2), times.last(), processor.at(processor.size() / 2)};
}

void print(const char* what, Stats stats, bool operation = true) {
    std::printf("%-34s median %8.2f ms   worst %8.2f ms   processor %8.2f ms%s\n", what,
                stats.median, stats.worst, stats.processor,
                operation ? "   (target <= 50 ms)" : "");
}

long residentKb() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toLong();
    return -1;
}

// One operation of a long session that keeps the list near its size.
void operate(TodoStore& store, std::mt19937& random, int n) {
    const QList<TodoItem>& items = store.state().items;
    const QUuid id = items.at(static_cast<qsizetype>(random() % items.size())).id;
    switch (n % 4) {
    case 0:
        store.add(title(n));
        break;
    case 1:
        store.cycle(id);
        break;
    case 2:
        store.setStatus(id, static_cast<ItemStatus>(random() % 3));
        break;
    default:
        store.remove(id);
        break;
    }
}

} // namespace

int main(int argc, char** argv) {
    // --operations N changes the length of the session (default 10,000).
    int operations = 10000;
    for (int i = 1; i + 1 < argc; ++i)
        if (qstrcmp(argv[i], "--operations") == 0)
            operations = std::max(200, atoi(argv[i + 1]));

    QTemporaryDir root;
    const QString folder = root.filePath(QStringLiteral("Pinstrip"));
    {
        StateFile file(folder, [] { return QDateTime::currentDateTime(); });
        file.write(makeState(todayCount, archivedDays, entriesPerDay));
    }
    std::printf("state: %d entries today, %d archived days of %d; file %.1f MB\n", todayCount,
                archivedDays, entriesPerDay,
                static_cast<double>(QFileInfo(folder + QStringLiteral("/todo.json")).size()) /
                    (1024.0 * 1024.0));

    const Stats start = measure(5, [&] { TodoStore store(folder, [] { return QDateTime(); }); });
    print("start (read + decode)", start, false);
    {
        TodoStore store(folder, [] { return QDateTime::currentDateTime(); });
        std::mt19937 random(7);
        auto any = [&] { return store.state().items.at(random() % store.state().items.size()).id; };
        int added = 0;
        print("add + save", measure(11, [&] { store.add(title(todayCount + added++)); }));
        print("cycle + save", measure(11, [&] { store.cycle(any()); }));
        print("setStatus + save", measure(11, [&] { store.setStatus(any(), ItemStatus::done); }));
        print("remove + save", measure(11, [&] { store.remove(any()); }));
        print("encode alone", measure(11, [&] { (void)StateCodec::encode(store.state()); }), false);
        StateFile file(folder, [] { return QDateTime::currentDateTime(); });
        print("save alone (encode, write, fsync)", measure(11, [&] { file.write(store.state()); }),
              false);
        print("archiveAndClear + save", measure(1, [&] { store.archiveAndClear(); }));
    }

    // Memory does not depend on the disk: the session runs on memory-backed storage where
    // there is one, so that 10,000 operations take seconds rather than minutes of fsync.
    const QString base = QFileInfo(QStringLiteral("/dev/shm")).isWritable()
                             ? QStringLiteral("/dev/shm")
                             : QDir::tempPath();
    QTemporaryDir sessionRoot(base + QStringLiteral("/pinstrip-load-XXXXXX"));
    const QString sessionFolder = sessionRoot.filePath(QStringLiteral("Pinstrip"));
    {
        StateFile file(sessionFolder, [] { return QDateTime::currentDateTime(); });
        file.write(makeState(50, archivedDays, 40));
    }
    TodoStore store(sessionFolder, [] { return QDateTime::currentDateTime(); });
    std::mt19937 random(11);
    int n = 0;
    for (; n < 100; ++n)
        operate(store, random, n);
    const long after100 = residentKb();
    QElapsedTimer session;
    session.start();
    for (; n < operations; ++n)
        operate(store, random, n);
    const long afterAll = residentKb();
    std::printf("session on an ordinary day's file: %.2f ms per operation\n",
                static_cast<double>(session.elapsed()) / (operations - 100));
    std::printf("resident memory after 100 operations %ld KB, after %d operations %ld KB: "
                "%+.1f %% (target within 10 %%)\n",
                after100, operations, afterAll,
                100.0 * static_cast<double>(afterAll - after100) / static_cast<double>(after100));
    return 0;
}
