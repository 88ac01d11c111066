#pragma once

#include "HotkeyBackend.h"

#include <QObject>
#include <QString>

// Where nothing can register a global shortcut: reports so, once, and never fires.
class NullHotkey : public QObject, public HotkeyBackend {
public:
    // `why` ends the sentence the user reads: "(no X11 display)".
    NullHotkey(Reported reported, QString why);
};
