#pragma once

#include <QByteArray>
#include <QProcess>
#include <QString>
#include <optional>

// A Qt Quick program started for measuring. Its first rendered frame is read from Qt's own
// render-loop timing log on its output, so the program carries no measuring hooks. The program
// is stopped when this goes away.
class QuickChild {
public:
    QuickChild() = default;
    QuickChild(const QuickChild&) = delete;
    QuickChild& operator=(const QuickChild&) = delete;
    ~QuickChild();

    // Starts the program; milliseconds from the start to its first frame, or nullopt when none
    // came within timeoutMs.
    [[nodiscard]] std::optional<double> start(const QString& program, int timeoutMs);
    // Time the program had spent on a CPU when its first frame was seen: unlike the wall time,
    // barely moved by busy neighbours.
    [[nodiscard]] std::optional<double> cpuToFirstFrameMs() const { return m_cpuToFirstFrameMs; }
    [[nodiscard]] std::optional<double> residentMb() const;
    // User and system time the program has used.
    [[nodiscard]] std::optional<double> cpuMs() const;
    // What the program has written since the last call.
    [[nodiscard]] QByteArray readLog();

private:
    // On-CPU time of the live threads, to the nanosecond.
    [[nodiscard]] std::optional<double> runningMs() const;

    QProcess m_process;
    std::optional<double> m_cpuToFirstFrameMs;
};
