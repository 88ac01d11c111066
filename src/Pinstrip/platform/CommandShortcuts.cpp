#include "CommandShortcuts.h"

#include <QTimer>

namespace {
constexpr int patienceMs = 5000;
}

CommandShortcuts::CommandShortcuts(QString program, QStringList arguments, Parser parse)
    : m_program(std::move(program)), m_arguments(std::move(arguments)), m_parse(std::move(parse)) {
    // The tool's complaints (a schema this desktop lacks, say) are no concern of our log.
    m_process.setStandardErrorFile(QProcess::nullDevice());
}

CommandShortcuts::~CommandShortcuts() {
    m_process.disconnect();
    if (m_process.state() != QProcess::NotRunning) {
        m_process.kill();
        m_process.waitForFinished(1000);
    }
}

void CommandShortcuts::find(QKeyCombination combination, Answer answer) {
    m_answer = std::move(answer);
    QObject::connect(&m_process, &QProcess::finished, &m_process,
                     [this, combination](int code, QProcess::ExitStatus status) {
                         const bool ok = status == QProcess::NormalExit && code == 0;
                         reply(ok ? m_parse(m_process.readAllStandardOutput(), combination)
                                  : QString());
                     });
    QObject::connect(&m_process, &QProcess::errorOccurred, &m_process,
                     [this](QProcess::ProcessError error) {
                         if (error == QProcess::FailedToStart)
                             reply({});
                     });
    QTimer::singleShot(patienceMs, &m_process, [this] {
        if (m_process.state() != QProcess::NotRunning)
            m_process.kill(); // reported through `finished` as a crash: "free"
    });
    // Started from the event loop, so that launching the tool never delays the launch.
    QMetaObject::invokeMethod(
        &m_process, [this] { m_process.start(m_program, m_arguments); }, Qt::QueuedConnection);
}

void CommandShortcuts::reply(const QString& owner) {
    // A tool that cannot start may say so from inside start(): answer from the event loop.
    if (Answer answer = std::exchange(m_answer, nullptr))
        QMetaObject::invokeMethod(
            &m_process, [answer = std::move(answer), owner] { answer(owner); },
            Qt::QueuedConnection);
}
