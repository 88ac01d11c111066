#pragma once

#include "DesktopShortcuts.h"
#include "HotkeyBackend.h"

// Registers the key only once the desktop's own settings say it leaves the key free; where the
// desktop binds it, reports whose it is and never touches it.
class DesktopFirstHotkey : public HotkeyBackend {
public:
    using Register = std::function<std::unique_ptr<HotkeyBackend>()>;

    DesktopFirstHotkey(QKeyCombination combination, std::unique_ptr<DesktopShortcuts> desktop,
                       Register registerKey, Reported reported);

private:
    std::unique_ptr<HotkeyBackend> m_registration;
    std::unique_ptr<DesktopShortcuts> m_desktop;
};
