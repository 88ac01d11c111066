#include "OptionDoubleTap.h"

#include "KeySource.h"

#include <cmath>

OptionDoubleTap::OptionDoubleTap(Callback callback, std::unique_ptr<KeySource> source,
                                 QObject* parent)
    : QObject(parent), m_callback(std::move(callback)), m_source(std::move(source)) {}

OptionDoubleTap::~OptionDoubleTap() {
    stop();
}

bool OptionDoubleTap::trusted() const {
    return m_source->trusted();
}

// There is no permission dialog to raise on X11: raw input is either served by the display or
// not, so `prompt` only matters where a platform can ask the user.
void OptionDoubleTap::start(bool prompt) {
    Q_UNUSED(prompt);
    m_started = true;
    if (trusted()) {
        install();
        return;
    }
    if (m_pollTimer)
        return;
    m_pollTimer = std::make_unique<QTimer>(this);
    m_pollTimer->setInterval(pollIntervalMs);
    connect(m_pollTimer.get(), &QTimer::timeout, this, &OptionDoubleTap::poll);
    m_pollTimer->start();
}

void OptionDoubleTap::poll() {
    if (!trusted())
        return;
    m_pollTimer.reset();
    install();
}

void OptionDoubleTap::install() {
    if (!m_installed)
        m_installed =
            m_source->install([this](const KeyReport& report, double at) { handle(report, at); });
    setActive(true);
}

void OptionDoubleTap::setActive(bool active) {
    if (m_active == active)
        return;
    m_active = active;
    emit activeChanged();
}

void OptionDoubleTap::stop() {
    m_pollTimer.reset();
    if (m_installed) {
        m_source->remove();
        m_installed = false;
    }
    setActive(false);
    m_started = false;
    m_detector = TapDetector();
    m_commandTaps = TapDetector();
}

void OptionDoubleTap::commandTap(double at) {
    if (!m_started)
        return;
    m_commandTaps.flagsChanged(true, false, at);
    if (m_commandTaps.flagsChanged(false, false, at))
        QMetaObject::invokeMethod(
            this, [this] { m_callback(0); }, Qt::QueuedConnection);
}

void OptionDoubleTap::handle(const KeyReport& report, double at) {
    switch (report.kind) {
    case KeyReport::Kind::None:
        return;
    case KeyReport::Kind::Cancel:
        m_detector.cancel();
        return;
    case KeyReport::Kind::Flags:
        if (m_detector.flagsChanged(report.modifierDown, report.otherModifiers, at)) {
            const auto userTime = static_cast<quint32>(std::llround(at * 1000.0));
            QMetaObject::invokeMethod(
                this, [this, userTime] { m_callback(userTime); }, Qt::QueuedConnection);
        }
        return;
    }
}
