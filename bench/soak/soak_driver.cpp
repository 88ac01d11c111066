// Endurance run of the real program, driven through its real inputs: starts pinstrip as a
// StatusNotifierItem of our own tray host, then for each round summons the strip with
// Control-Alt-T, types a title, Return, Escape; every 10 rounds clicks the top row (cycling
// it), every 25 removes the top row with its remove button, and every ARCHIVE / HISTORY rounds
// picks "Archive All & Start Fresh" / "Archive…" in the tray menu by title (the history window
// is closed with Escape or Ctrl+W). Prints resident memory, descriptors, threads and CPU every
// 100 rounds and the figures at the end; fails on a lost entry, a key that reached the target
// window, or an input the program did not take.
//   soak_driver PINSTRIP TARGET_WINDOW TYPED_LOG ROUNDS ARCHIVE_EVERY HISTORY_EVERY
#include "Desktop.h"
#include "StateCodec.h"
#include "TrayHost.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QSet>
#include <QTextStream>
#include <QThread>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <unistd.h>

namespace {

struct Usage {
    double rssMb = 0;
    int fds = 0;
    int threads = 0;
    double cpuSeconds = 0;
};

struct HistoryVisit {
    int round;
    double before;
    double open;
    double after;
};

QTextStream out(stdout);

// Runs the event loop (the tray host answers the bus there) until `done` or the time is up.
bool waitFor(const std::function<bool()>& done, int ms = 3000) {
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() > ms)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
        QThread::usleep(500);
    }
    return true;
}

void pause(int ms) {
    waitFor([] { return false; }, ms);
}

Usage usageOf(qint64 pid) {
    Usage usage;
    const QString proc = QStringLiteral("/proc/%1/").arg(pid);
    QFile status(proc + QStringLiteral("status"));
    if (status.open(QIODevice::ReadOnly)) {
        for (const QByteArray& line : status.readAll().split('\n')) {
            if (line.startsWith("VmRSS:"))
                usage.rssMb = line.mid(6).trimmed().split(' ').value(0).toDouble() / 1024;
            else if (line.startsWith("Threads:"))
                usage.threads = line.mid(8).trimmed().toInt();
        }
    }
    usage.fds = static_cast<int>(QDir(proc + QStringLiteral("fd"))
                                     .entryList(QDir::AllEntries | QDir::NoDotAndDotDot)
                                     .size());
    QFile stat(proc + QStringLiteral("stat"));
    if (stat.open(QIODevice::ReadOnly)) {
        const QByteArray text = stat.readAll();
        const QList<QByteArray> fields = text.mid(text.lastIndexOf(')') + 2).split(' ');
        // utime and stime are fields 14 and 15 of the whole line.
        usage.cpuSeconds = (fields.value(11).toDouble() + fields.value(12).toDouble()) /
                           static_cast<double>(sysconf(_SC_CLK_TCK));
    }
    return usage;
}

// Every title in the state file, today's and archived.
QStringList titlesIn(const QString& path) {
    QFile file(path);
    QStringList titles;
    if (!file.open(QIODevice::ReadOnly))
        return titles;
    const std::optional<TodoState> state = StateCodec::decode(file.readAll());
    if (!state)
        return titles;
    for (const TodoItem& item : state->items)
        titles.append(item.title);
    for (const ArchivedDay& day : state->archive)
        for (const TodoItem& item : day.items)
            titles.append(item.title);
    return titles;
}

QByteArray bytesOf(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Least-squares slope of y over x, per 1,000 of x.
double slopePerThousand(const QList<QPointF>& points) {
    const double n = static_cast<double>(points.size());
    double sx = 0;
    double sy = 0;
    double sxx = 0;
    double sxy = 0;
    for (const QPointF& p : points) {
        sx += p.x();
        sy += p.y();
        sxx += p.x() * p.x();
        sxy += p.x() * p.y();
    }
    const double d = n * sxx - sx * sx;
    return d == 0 ? 0 : 1000 * (n * sxy - sx * sy) / d;
}

QString latency(QList<double> ms) {
    if (ms.isEmpty())
        return QStringLiteral("-");
    std::sort(ms.begin(), ms.end());
    return QStringLiteral("median %1 ms, max %2 ms")
        .arg(ms.at(ms.size() / 2), 0, 'f', 1)
        .arg(ms.last(), 0, 'f', 1);
}

int fail(const QString& why) {
    out << "FAIL: " << why << Qt::endl;
    return 1;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 7) {
        std::fprintf(stderr, "usage: soak_driver PINSTRIP TARGET_WINDOW TYPED_LOG ROUNDS "
                             "ARCHIVE_EVERY HISTORY_EVERY\n");
        return 2;
    }
    const unsigned long target = args.at(2).toULong(nullptr, 0);
    const QString typedLog = args.at(3);
    const int rounds = args.at(4).toInt();
    const int archiveEvery = args.at(5).toInt();
    const int historyEvery = args.at(6).toInt();
    const QString stateFile =
        qEnvironmentVariable("XDG_DATA_HOME") + QStringLiteral("/Pinstrip/todo.json");
    const QString historyTitle = QStringLiteral("Pinstrip \u2014 Archive");

    Desktop desk;
    TrayHost host;
    if (!desk.open() || !host.start())
        return fail(QStringLiteral("no display or no session bus to host the tray on"));

    QProcess pinstrip;
    pinstrip.setProcessChannelMode(QProcess::ForwardedChannels);
    pinstrip.start(args.at(1), {});
    if (!pinstrip.waitForStarted())
        return fail(QStringLiteral("pinstrip did not start"));
    const qint64 pid = pinstrip.processId();
    const auto finish = [&](int status) {
        pinstrip.terminate();
        if (!pinstrip.waitForFinished(5000))
            pinstrip.kill();
        pinstrip.waitForFinished();
        return status;
    };
    if (!waitFor([&] { return !host.items().isEmpty(); }, 20000))
        return finish(fail(QStringLiteral("pinstrip registered no tray item")));

    QSet<QString> expected;
    QList<double> latencies;
    QList<QPointF> rss;
    QList<QPointF> fileKb;
    QList<HistoryVisit> visits;
    unsigned long strip = 0;
    int missedClicks = 0;
    QElapsedTimer clock;
    clock.start();
    out << "round  RSS MB  fds  threads  CPU s  state KB" << Qt::endl;

    for (int round = 1; round <= rounds; ++round) {
        if (desk.focus() != target) {
            desk.setFocus(target);
            if (!waitFor([&] { return desk.focus() == target; }))
                return finish(fail(QStringLiteral("the target window lost the keyboard")));
        }
        // Summon: from the T of Control-Alt-T to the strip shown with the keyboard.
        desk.key("Control_L", true);
        desk.key("Alt_L", true);
        QElapsedTimer summon;
        summon.start();
        desk.key("t", true);
        const bool summoned = waitFor([&] {
            if (!desk.viewable(strip))
                strip = desk.findTitled(QStringLiteral("Pinstrip"));
            return strip && desk.focus() == strip;
        });
        latencies.append(static_cast<double>(summon.nsecsElapsed()) / 1e6);
        desk.key("t", false);
        desk.key("Alt_L", false);
        desk.key("Control_L", false);
        if (!summoned)
            return finish(fail(QStringLiteral("round %1: the summon did not arrive").arg(round)));

        const QString title = QStringLiteral("soak %1 entry").arg(round);
        desk.type(title);
        desk.tap("Return");
        if (!waitFor([&] { return bytesOf(stateFile).contains(title.toUtf8() + '"'); }))
            return finish(fail(
                QStringLiteral("round %1: \"%2\" never reached the file").arg(round).arg(title)));
        expected.insert(title);
        desk.tap("Escape");
        if (!waitFor([&] { return desk.focus() == target; }))
            return finish(
                fail(QStringLiteral("round %1: the keyboard did not come back").arg(round)));

        // The top row sits under the header; its remove button at its right end.
        const QRect shown = desk.frame(strip);
        const QPoint row(shown.left() + shown.width() / 2, shown.top() + 36);
        if (round % 10 == 0) {
            const QByteArray before = bytesOf(stateFile);
            desk.click(row);
            if (!waitFor([&] { return bytesOf(stateFile) != before; }))
                ++missedClicks;
        }
        if (round % 25 == 0) {
            const QStringList before = titlesIn(stateFile);
            desk.moveTo(row);
            pause(150);
            desk.click(QPoint(shown.right() - 14, row.y()));
            QStringList after;
            if (!waitFor([&] { return (after = titlesIn(stateFile)).size() < before.size(); })) {
                ++missedClicks;
            } else {
                for (const QString& gone : QSet<QString>(before.cbegin(), before.cend()) -
                                               QSet<QString>(after.cbegin(), after.cend()))
                    expected.remove(gone);
            }
            desk.moveTo(QPoint(10, 890));
        }
        if (archiveEvery > 0 && round % archiveEvery == 0) {
            const QByteArray before = bytesOf(stateFile);
            if (!host.pick(QStringLiteral("Archive All & Start Fresh")))
                return finish(
                    fail(QStringLiteral("no \"Archive All & Start Fresh\" in the menu: ") +
                         host.titles().join(QStringLiteral(" | "))));
            if (!waitFor([&] { return bytesOf(stateFile) != before; }))
                return finish(fail(QStringLiteral("round %1: archiving wrote nothing").arg(round)));
        }
        if (historyEvery > 0 && round % historyEvery == 0) {
            pause(300);
            HistoryVisit visit{round, usageOf(pid).rssMb, 0, 0};
            if (!host.pick(QStringLiteral("Archive\u2026")))
                return finish(fail(QStringLiteral("no \"Archive…\" in the menu")));
            unsigned long history = 0;
            if (!waitFor([&] { return (history = desk.findTitled(historyTitle)) != 0; }, 5000) ||
                !waitFor([&] { return desk.focus() == history; }))
                return finish(
                    fail(QStringLiteral("round %1: the history window did not open").arg(round)));
            pause(300);
            visit.open = usageOf(pid).rssMb;
            const bool byEscape = visits.size() % 2 == 0;
            if (byEscape) {
                desk.tap("Escape");
            } else {
                desk.key("Control_L", true);
                desk.tap("w");
                desk.key("Control_L", false);
            }
            if (!waitFor([&] { return !desk.viewable(history); }))
                return finish(fail(QStringLiteral("round %1: %2 did not close the history")
                                       .arg(round)
                                       .arg(byEscape ? "Escape" : "Ctrl+W")));
            pause(300);
            visit.after = usageOf(pid).rssMb;
            visits.append(visit);
        }
        if (round % 100 == 0) {
            const Usage usage = usageOf(pid);
            const double kb = static_cast<double>(QFile(stateFile).size()) / 1024;
            rss.append({static_cast<double>(round), usage.rssMb});
            fileKb.append({static_cast<double>(round), kb});
            out << qSetFieldWidth(5) << round << qSetFieldWidth(8)
                << QString::number(usage.rssMb, 'f', 1) << qSetFieldWidth(5) << usage.fds
                << qSetFieldWidth(9) << usage.threads << qSetFieldWidth(7)
                << QString::number(usage.cpuSeconds, 'f', 2) << qSetFieldWidth(10)
                << QString::number(kb, 'f', 1) << qSetFieldWidth(0) << Qt::endl;
        }
    }

    const qint64 seconds = clock.elapsed() / 1000;
    const QStringList inFile = titlesIn(stateFile);
    QStringList lost;
    for (const QString& title : std::as_const(expected))
        if (!inFile.contains(title))
            lost.append(title);
    const QByteArray stray = bytesOf(typedLog);
    const int window = std::max<int>(1, std::min<int>(200, static_cast<int>(latencies.size()) / 4));

    out << Qt::endl << "rounds " << rounds << " in " << seconds << " s" << Qt::endl;
    // The first opening of the history loads its code once: the steady slope starts after it.
    QList<QPointF> steady = rss;
    if (!visits.isEmpty())
        steady.removeIf([&](QPointF p) { return p.x() < visits.first().round; });
    out << "RSS slope " << QString::number(slopePerThousand(rss), 'f', 2)
        << " MB per 1,000 rounds, from the first history opening on "
        << QString::number(slopePerThousand(steady), 'f', 2) << " MB per 1,000 rounds; state file "
        << QString::number(slopePerThousand(fileKb) / 1024, 'f', 2) << " MB per 1,000 rounds"
        << Qt::endl;
    out << "history opened at round  before MB  open MB  after close MB  after - before"
        << Qt::endl;
    for (const HistoryVisit& visit : std::as_const(visits))
        out << qSetFieldWidth(24) << visit.round << qSetFieldWidth(10)
            << QString::number(visit.before, 'f', 1) << qSetFieldWidth(9)
            << QString::number(visit.open, 'f', 1) << qSetFieldWidth(16)
            << QString::number(visit.after, 'f', 1) << qSetFieldWidth(16)
            << QString::number(visit.after - visit.before, 'f', 1) << qSetFieldWidth(0) << Qt::endl;
    out << "summon latency early (first " << window << "): " << latency(latencies.mid(0, window))
        << Qt::endl;
    out << "summon latency late (last " << window
        << "): " << latency(latencies.mid(latencies.size() - window)) << Qt::endl;
    out << "clicks the strip did not act on: " << missedClicks << Qt::endl;
    out << "typed titles kept: " << (expected.size() - lost.size()) << " of " << expected.size()
        << Qt::endl;
    if (!lost.isEmpty())
        return finish(fail(QStringLiteral("lost entries: ") + lost.join(QStringLiteral(", "))));
    if (!stray.isEmpty())
        return finish(fail(QStringLiteral("keys reached the target window: ") +
                           QString::fromUtf8(stray.left(200))));
    return finish(0);
}
