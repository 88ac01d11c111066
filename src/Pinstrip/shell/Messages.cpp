#include "Messages.h"

Messages::Message Messages::builtWithoutUpdateCheck(bool packaged) {
    if (packaged)
        return {QStringLiteral("This copy of Pinstrip is updated by its package manager."),
                QStringLiteral("Newer versions arrive with your system's software updates.")};
    return {QStringLiteral("This copy of Pinstrip was built without an update check."),
            QStringLiteral("To update it, build a newer version from its source.")};
}

Messages::Message Messages::upToDate(const QString& version) {
    return {QStringLiteral("Pinstrip is up to date."),
            QStringLiteral("You have version %1, the newest available.").arg(version)};
}

Messages::Message Messages::updateCheckFailed() {
    return {
        QStringLiteral("Could not check for updates."),
        QStringLiteral("The release feed could not be reached or read. Please try again later.")};
}

Messages::Message Messages::updateAvailable(const QString& latest, const QString& current) {
    return {QStringLiteral("Pinstrip %1 is available.").arg(latest),
            QStringLiteral("You have version %1. Pinstrip never installs anything by itself.")
                .arg(current)};
}

Messages::Message Messages::noDoubleTap(Platform::DoubleTap session, const QString& hotkeyStatus) {
    using DoubleTap = Platform::DoubleTap;
    switch (session) {
    case DoubleTap::kwinLegacyX11:
        return {
            QStringLiteral("Double-tapping Alt reaches Pinstrip only when KWin lets X11 "
                           "programs listen to modifier keys."),
            QStringLiteral("In System Settings \u2192 Legacy X11 App Support, choose \u201cOnly "
                           "Meta, Control, Alt, and Shift keys\u201d, then choose \u201cOpen "
                           "Accessibility Settings\u2026\u201d again. %1")
                .arg(hotkeyStatus)};
    case DoubleTap::noneOnGnome:
        return {QStringLiteral("GNOME on Wayland gives no program the double tap of Alt."),
                QStringLiteral("%1 Keys that run \u201cpinstrip --summon\u201d are set in Settings "
                               "\u2192 Keyboard \u2192 View and Customize Shortcuts \u2192 Custom "
                               "Shortcuts.")
                    .arg(hotkeyStatus)};
    case DoubleTap::swayBindings:
        return {
            QStringLiteral("On sway the double tap of Alt comes from sway's own bindings."),
            QStringLiteral("Add \u201cbindsym --release Alt_L exec pinstrip --tap\u201d and the "
                           "same for Alt_R to sway's config, then reload it; two taps summon "
                           "Pinstrip. %1")
                .arg(hotkeyStatus)};
    case DoubleTap::noneOnWayland:
        return {QStringLiteral("This Wayland session gives no program the double tap of Alt."),
                QStringLiteral("Bind a key to \u201cpinstrip --summon\u201d in the desktop's "
                               "keyboard settings. Meanwhile, \u201cAdd Item\u201d in this menu "
                               "summons the strip.")};
    case DoubleTap::xinput:
        break;
    }
    return {QStringLiteral("System-wide summoning needs an X11 session with XInput 2."),
            QStringLiteral("Double-tapping Alt and pressing Ctrl+Alt+T work only there. Meanwhile, "
                           "\u201cAdd Item\u201d in this menu summons the strip.")};
}

Messages::Message Messages::shortcutOffer(Platform::DoubleTap session, const QString& key,
                                          const QString& asked, const QString& askedOwner) {
    if (session == Platform::DoubleTap::swayBindings)
        return {QStringLiteral("Summon Pinstrip with %1?").arg(key),
                QStringLiteral("sway gives no program a key of its own. Pinstrip can bind %1 to "
                               "\u201cpinstrip --summon\u201d for this sway session; to keep it, "
                               "add \u201cbindsym %1 exec pinstrip --summon\u201d to sway's "
                               "config.")
                    .arg(key)};
    const QString instead = key == asked
                                ? QString()
                                : QStringLiteral(" %1 already runs %2, so Pinstrip would use %3.")
                                      .arg(asked, askedOwner, key);
    return {
        QStringLiteral("Summon Pinstrip with %1?").arg(key),
        QStringLiteral("GNOME on Wayland gives no program the double tap of Alt or a key of its "
                       "own. Pinstrip can add %1 to Settings \u2192 Keyboard \u2192 View and "
                       "Customize Shortcuts \u2192 Custom Shortcuts, running \u201cpinstrip "
                       "--summon\u201d; you can change or remove it there.%2")
            .arg(key, instead)};
}

Messages::Message Messages::shortcutNotAdded(const QString& error) {
    return {QStringLiteral("The shortcut could not be added."), error};
}
