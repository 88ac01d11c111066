#pragma once

#include "HotkeyBackend.h"
#include "KeySource.h"
#include "WindowSystem.h"

#include <memory>

// Every platform backend of this session, chosen once at start: the window system, the global
// hot key and the system-wide key source of the double tap. Where none fits, a null object stands
// in that does nothing and says why. A new backend is a subfolder and one line in choose().
class Platform {
public:
    [[nodiscard]] static Platform choose();

    std::unique_ptr<WindowSystem> windowSystem;
    HotkeyBackend::Factory hotkey;
    std::unique_ptr<KeySource> keySource;
};
