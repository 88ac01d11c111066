#pragma once

#include <QString>
#include <functional>

// "Launch at Login" as an XDG autostart entry, $XDG_CONFIG_HOME/autostart/pinstrip.desktop.
// It counts as enabled when the entry exists and the desktop is not told to skip it.
class LoginItem {
public:
    using Beep = std::function<void()>;

    // The user's autostart folder and the system beep.
    LoginItem();
    // For tests: another folder, program and beep.
    LoginItem(QString folder, QString program, Beep beep);

    [[nodiscard]] QString entryPath() const;
    [[nodiscard]] bool enabled() const;
    // Unregisters when enabled, registers otherwise; a failure beeps once and changes nothing.
    void toggle();

private:
    [[nodiscard]] bool registerEntry() const;
    [[nodiscard]] bool unregisterEntry() const;

    QString m_folder;
    QString m_program;
    Beep m_beep;
};
