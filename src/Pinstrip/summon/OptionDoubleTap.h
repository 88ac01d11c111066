#pragma once

#include "TapDetector.h"

#include <QObject>
#include <QTimer>
#include <functional>
#include <memory>

class KeySource;
struct KeyReport;

// Watches either Alt (Option) key system-wide and posts the callback to the main thread on a
// double tap, with the second tap's server time in milliseconds (the summon's user time). "Trusted"
// means a system-wide source of raw key events is available (XInput 2 on X11); while it is not,
// start() polls for it every 2 s.
class OptionDoubleTap : public QObject {
    Q_OBJECT

public:
    static constexpr int pollIntervalMs = 2000;

    using Callback = std::function<void(quint32 userTime)>;

    // Reads key reports from `source`, the session's system-wide one.
    OptionDoubleTap(Callback callback, std::unique_ptr<KeySource> source,
                    QObject* parent = nullptr);
    ~OptionDoubleTap() override;

    void start(bool prompt);
    void stop();
    // One clean tap of Alt that a binding of the desktop reported (`pinstrip --tap`, run on the
    // key's release), `at` its arrival in seconds: a press and release of no hold. The callback
    // gets no user time, since the time is not the display's.
    void commandTap(double at);
    [[nodiscard]] bool active() const { return m_active; }

signals:
    void activeChanged();

private:
    void setActive(bool active);
    [[nodiscard]] bool trusted() const;
    void poll();
    void install();
    void handle(const KeyReport& report, double at);

    Callback m_callback;
    TapDetector m_detector;
    // Its own, so that a tap the raw key source also saw counts once, not as a double tap.
    TapDetector m_commandTaps;
    std::unique_ptr<KeySource> m_source;
    std::unique_ptr<QTimer> m_pollTimer;
    bool m_installed = false;
    bool m_active = false;
    bool m_started = false; // between start() and stop(): the user wants the double tap
};
