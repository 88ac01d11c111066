#include "WindowSystem.h"

#include "FallbackWindowSystem.h"
#include "X11WindowSystem.h"

#include <QGuiApplication>

std::unique_ptr<WindowSystem> WindowSystem::create() {
    if (QGuiApplication::platformName() == QLatin1String("xcb")) {
        if (auto x11 = X11WindowSystem::create())
            return x11;
    }
    return std::make_unique<FallbackWindowSystem>();
}
