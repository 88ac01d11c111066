#include "FallbackWindowSystem.h"

#include <QGuiApplication>

// Qt's window flags already keep the strip floating and unfocused where no X11 is available;
// without a way to name another client's window, the keyboard is left to the compositor.
void FallbackWindowSystem::prepareFloating(QWindow&) {}

void FallbackWindowSystem::keepFloating(const QWindow&) {}

bool FallbackWindowSystem::compositorActive() const {
    return QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
}

void FallbackWindowSystem::watchCompositor(std::function<void(bool)>) {}

void FallbackWindowSystem::setBlurBehind(QWindow&, const QRegion&) {}

void FallbackWindowSystem::rememberActiveWindow(const QWindow&) {}

bool FallbackWindowSystem::handBackKeyboard(const QWindow&) {
    return true;
}
