#include "DesktopFirstHotkey.h"

DesktopFirstHotkey::DesktopFirstHotkey(QKeyCombination combination,
                                       std::unique_ptr<DesktopShortcuts> desktop,
                                       Register registerKey, Reported reported)
    : m_desktop(std::move(desktop)) {
    m_desktop->find(combination, [this, registerKey = std::move(registerKey),
                                  reported = std::move(reported)](const QString& owner) {
        if (owner.isEmpty())
            m_registration = registerKey();
        else
            reported({HotkeyStatus::State::desktopBinds, owner});
    });
}
