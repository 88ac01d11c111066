#pragma once

#include <QString>
#include <functional>

// "Launch at Login" as an XDG autostart entry named after the application id in
// $XDG_CONFIG_HOME/autostart. It counts as enabled when an entry exists (also one of the old
// name, pinstrip.desktop) and the desktop is not told to skip it; a toggle leaves at most one.
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
    [[nodiscard]] QString legacyEntryPath() const;
    [[nodiscard]] static bool entryEnabled(const QString& path);
    [[nodiscard]] static bool removeIfPresent(const QString& path);
    [[nodiscard]] bool registerEntry() const;
    [[nodiscard]] bool unregisterEntry() const;

    QString m_folder;
    QString m_program;
    Beep m_beep;
};
