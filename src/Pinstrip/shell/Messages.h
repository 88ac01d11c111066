#pragma once

#include "Platform.h"

#include <QString>

// What the program's message boxes say, in one place.
class Messages {
public:
    struct Message {
        QString text;
        QString details;
    };

    static inline const QString title = QStringLiteral("Pinstrip");
    static inline const QString openReleasePage = QStringLiteral("Open Release Page");
    static inline const QString later = QStringLiteral("Later");
    static inline const QString addShortcut = QStringLiteral("Add Shortcut");
    static inline const QString notNow = QStringLiteral("Not Now");
    static inline const QString openSettings = QStringLiteral("Open Settings");

    // A package build is updated by the package manager; a copy built by hand is not.
    [[nodiscard]] static Message builtWithoutUpdateCheck(bool packaged);
    [[nodiscard]] static Message upToDate(const QString& version);
    [[nodiscard]] static Message updateCheckFailed();
    [[nodiscard]] static Message updateAvailable(const QString& latest, const QString& current);
    // Why the double tap does not reach us in this session, and what summons meanwhile
    // (`hotkeyStatus`: the hot key's own sentence).
    [[nodiscard]] static Message noDoubleTap(Platform::DoubleTap session,
                                             const QString& hotkeyStatus);
    // The offer to bind `key` in the desktop's settings (GNOME's, or sway's for the running
    // session); `askedOwner` runs the key asked for, if any.
    [[nodiscard]] static Message shortcutOffer(Platform::DoubleTap session, const QString& key,
                                               const QString& asked, const QString& askedOwner);
    [[nodiscard]] static Message shortcutNotAdded(const QString& error);
};
