#pragma once

#include "TapDetector.h"

#include <QObject>
#include <QTimer>
#include <functional>
#include <memory>

class KeySource;

// Watches either Alt (Option) key system-wide and posts the callback to the main thread on a
// double tap. "Trusted" means a system-wide source of raw key events is available (XInput 2 on
// X11); while it is not, start() polls for it every 2 s.
class OptionDoubleTap : public QObject {
    Q_OBJECT

public:
    explicit OptionDoubleTap(std::function<void()> callback, QObject* parent = nullptr);
    ~OptionDoubleTap() override;

    void start(bool prompt);
    void stop();
    [[nodiscard]] bool active() const { return m_active; }

private:
    std::function<void()> m_callback;
    TapDetector m_detector;
    std::unique_ptr<KeySource> m_source;
    QTimer* m_pollTimer = nullptr;
    bool m_active = false;
};
