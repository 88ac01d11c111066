#include "QuickChild.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <unistd.h>

QuickChild::~QuickChild() {
    if (m_process.state() == QProcess::NotRunning)
        return;
    m_process.terminate();
    if (!m_process.waitForFinished(5000)) {
        m_process.kill();
        m_process.waitForFinished();
    }
}

std::optional<double> QuickChild::start(const QString& program, int timeoutMs) {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_LOGGING_RULES"),
                       QStringLiteral("qt.scenegraph.time.renderloop=true"));
    m_process.setProcessEnvironment(environment);
    m_process.setProcessChannelMode(QProcess::MergedChannels);
    QElapsedTimer clock;
    clock.start();
    m_process.start(program, {});
    if (!m_process.waitForStarted())
        return std::nullopt;
    QByteArray log;
    while (clock.elapsed() < timeoutMs && m_process.waitForReadyRead(timeoutMs)) {
        log += m_process.readAll();
        if (log.contains("frame rendered") || log.contains("Frame rendered")) {
            const double elapsed = static_cast<double>(clock.nsecsElapsed()) / 1e6;
            m_cpuToFirstFrameMs = runningMs();
            return elapsed;
        }
    }
    return std::nullopt;
}

std::optional<double> QuickChild::residentMb() const {
    QFile status(QStringLiteral("/proc/%1/status").arg(m_process.processId()));
    if (!status.open(QIODevice::ReadOnly))
        return std::nullopt;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toDouble() / 1024.0;
    }
    return std::nullopt;
}

std::optional<double> QuickChild::cpuMs() const {
    QFile stat(QStringLiteral("/proc/%1/stat").arg(m_process.processId()));
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

std::optional<double> QuickChild::runningMs() const {
    const QDir tasks(QStringLiteral("/proc/%1/task").arg(m_process.processId()));
    const QStringList threads = tasks.entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    if (threads.isEmpty())
        return std::nullopt;
    double ns = 0;
    for (const QString& thread : threads) {
        QFile schedstat(tasks.filePath(thread + QStringLiteral("/schedstat")));
        if (schedstat.open(QIODevice::ReadOnly))
            ns += schedstat.readAll().split(' ').first().toDouble();
    }
    return ns / 1e6;
}

QByteArray QuickChild::readLog() {
    return m_process.readAll();
}
