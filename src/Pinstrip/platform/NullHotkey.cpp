#include "NullHotkey.h"

NullHotkey::NullHotkey(Reported reported, QString why) {
    QMetaObject::invokeMethod(
        this,
        [reported = std::move(reported), why = std::move(why)] {
            reported({HotkeyStatus::State::unavailable, why});
        },
        Qt::QueuedConnection);
}
