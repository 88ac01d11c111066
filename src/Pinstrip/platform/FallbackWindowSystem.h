#pragma once

#include "WindowSystem.h"

// Sessions without X11: Qt's own window flags are all there is, and the compositor of a
// Wayland session always blends.
class FallbackWindowSystem : public WindowSystem {
public:
    void prepareFloating(QWindow& window) override;
    void keepFloating(const QWindow& window) override;
    [[nodiscard]] bool compositorActive() const override;
    void watchCompositor(std::function<void(bool)> changed) override;
    void setBlurBehind(QWindow& window, const QRegion& region) override;
    void rememberActiveWindow(const QWindow& own) override;
    bool handBackKeyboard(const QWindow& own) override;
};
