#pragma once

#include "HotkeyBackend.h"

#include <QObject>

// Where nothing can register a global shortcut: reports so, once, and never fires.
class NullHotkey : public QObject, public HotkeyBackend {
public:
    explicit NullHotkey(Reported reported);
};
