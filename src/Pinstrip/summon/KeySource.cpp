#include "KeySource.h"

#include "XInputKeySource.h"

#include <QGuiApplication>

std::unique_ptr<KeySource> KeySource::create() {
    if (QGuiApplication::platformName() == QLatin1String("xcb"))
        return std::make_unique<XInputKeySource>();
    return nullptr;
}
