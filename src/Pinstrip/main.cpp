#include "AppDelegate.h"
#include "CommandChannel.h"
#include "CommandLine.h"
#include "OptionDoubleTap.h"
#include "SingleInstance.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QMetaObject>
#include <QQuickWindow>
#include <QSGRendererInterface>
#include <QSocketNotifier>
#include <QThread>
#include <QtQml/qqmlextensionplugin.h>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

Q_IMPORT_QML_PLUGIN(PinstripPlugin)

namespace {

// A copy that lost the race for the lock waits this long for the winner to start listening.
constexpr int startingCopyWaitMs = 20000;

int signalPipe[2] = {-1, -1};

// Termination signals end the program through the event loop, so a save under way finishes
// and every window and the tray icon are taken down as on Quit.
void watchTerminationSignals() {
    if (::pipe2(signalPipe, O_CLOEXEC | O_NONBLOCK) != 0)
        return;
    auto* notifier = new QSocketNotifier(signalPipe[0], QSocketNotifier::Read, qApp);
    QObject::connect(notifier, &QSocketNotifier::activated, qApp, [] { QCoreApplication::quit(); });
    struct sigaction action {};
    action.sa_handler = [](int) {
        const int saved = errno;
        [[maybe_unused]] const ssize_t ignored = ::write(signalPipe[1], "x", 1);
        errno = saved;
    };
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int signal : {SIGTERM, SIGINT, SIGHUP})
        ::sigaction(signal, &action, nullptr);
}

bool handOver(const CommandChannel::Request& request) {
    for (const QString& lock : SingleInstance::defaultLockPaths()) {
        if (CommandChannel::send(SingleInstance::channelPath(lock), request))
            return true;
    }
    return false;
}

// A launcher's token lets the running copy's window take the keyboard on desktops that ask
// for one; Qt's Wayland plugin reads it from the environment on the next activation.
void useActivationToken(const QByteArray& token) {
    if (!token.isEmpty() && QGuiApplication::platformName().startsWith(QLatin1String("wayland")))
        qputenv("XDG_ACTIVATION_TOKEN", token);
}

void perform(AppDelegate& delegate, const CommandChannel::Request& request) {
    useActivationToken(request.token);
    switch (request.command) {
    case CommandChannel::Command::toggle:
        delegate.togglePanel();
        return;
    case CommandChannel::Command::tap:
        delegate.optionTap()->commandTap(
            std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch())
                .count());
        return;
    case CommandChannel::Command::summon:
        delegate.hotkeyPressed();
        return;
    }
}

// A Wayland client can neither place its window nor keep it above others; through Xwayland
// the compositor does both. A platform the user chose still wins.
bool preferXwayland() {
    const bool wayland =
        !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") || qgetenv("XDG_SESSION_TYPE") == "wayland";
    return wayland && !qEnvironmentVariableIsEmpty("DISPLAY") &&
           qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM");
}

} // namespace

int main(int argc, char* argv[]) {
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    const CommandLine::Action action = CommandLine::parse(arguments);
    switch (action) {
    case CommandLine::Action::help:
        std::fputs(CommandLine::help().toLocal8Bit().constData(), stdout);
        return 0;
    case CommandLine::Action::version:
        std::printf("pinstrip %s\n", PINSTRIP_VERSION);
        return 0;
    case CommandLine::Action::invalid:
        std::fputs(CommandLine::usage().toLocal8Bit().constData(), stderr);
        return 2;
    case CommandLine::Action::start:
    case CommandLine::Action::summon:
    case CommandLine::Action::toggle:
    case CommandLine::Action::tap:
        break;
    }

    // A second launch, plain or with --summon, summons the running copy.
    CommandChannel::Request request;
    if (action == CommandLine::Action::toggle)
        request.command = CommandChannel::Command::toggle;
    else if (action == CommandLine::Action::tap)
        request.command = CommandChannel::Command::tap;
    request.token = qEnvironmentVariableIsEmpty("XDG_ACTIVATION_TOKEN")
                        ? qgetenv("DESKTOP_STARTUP_ID")
                        : qgetenv("XDG_ACTIVATION_TOKEN");
    // A lone tap has no copy to count towards: starting one would surprise.
    if (handOver(request) || action == CommandLine::Action::tap)
        return 0;

    // The software scene graph starts faster and needs a third of the memory of OpenGL for a
    // strip this small; an explicit QT_QUICK_BACKEND still wins.
    if (qEnvironmentVariableIsEmpty("QT_QUICK_BACKEND"))
        QQuickWindow::setGraphicsApi(QSGRendererInterface::Software);

    const bool xwayland = preferXwayland();
    if (xwayland)
        qputenv("QT_QPA_PLATFORM", "xcb");
    QApplication app(argc, argv);
    // What the desktop starts from our menu (its settings) picks its own platform.
    if (xwayland)
        qunsetenv("QT_QPA_PLATFORM");
    QApplication::setApplicationName(QStringLiteral("Pinstrip"));
    QApplication::setApplicationVersion(QStringLiteral(PINSTRIP_VERSION));
    QApplication::setDesktopFileName(QStringLiteral(PINSTRIP_APP_ID));
    QApplication::setQuitOnLastWindowClosed(false);
    watchTerminationSignals();

    AppDelegate delegate;
    CommandChannel channel;
    QObject::connect(
        &channel, &CommandChannel::received, &delegate,
        [&delegate](const CommandChannel::Request& received) { perform(delegate, received); });
    QMetaObject::invokeMethod(
        &delegate,
        [&delegate, &channel, action, request] {
            if (!delegate.applicationDidFinishLaunching()) {
                // Another copy took the lock first and is still starting.
                QElapsedTimer waited;
                waited.start();
                bool handed = handOver(request);
                while (!handed && waited.elapsed() < startingCopyWaitMs) {
                    QThread::msleep(50);
                    handed = handOver(request);
                }
                if (!handed)
                    std::fputs("pinstrip: the running copy does not answer\n", stderr);
                QCoreApplication::exit(handed ? 0 : 1);
                return;
            }
            if (!channel.listen(delegate.instance()->channelPath()))
                qWarning("Pinstrip: later launches cannot reach this copy");
            if (action == CommandLine::Action::summon)
                perform(delegate, request);
            else if (action == CommandLine::Action::toggle && !delegate.panel()->isVisible())
                delegate.togglePanel();
        },
        Qt::QueuedConnection);
    return QApplication::exec();
}
