#include "NullHotkey.h"

NullHotkey::NullHotkey(Reported reported) {
    QMetaObject::invokeMethod(
        this,
        [reported = std::move(reported)] {
            reported({HotkeyStatus::State::unavailable, QStringLiteral("no X11 display")});
        },
        Qt::QueuedConnection);
}
