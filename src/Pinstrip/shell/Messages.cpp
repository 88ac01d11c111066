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

Messages::Message Messages::noSystemWideKeys() {
    return {QStringLiteral("System-wide summoning needs an X11 session with XInput 2."),
            QStringLiteral("Double-tapping Alt and pressing Ctrl+Alt+T work only there. Meanwhile, "
                           "\u201cAdd Item\u201d in this menu summons the strip.")};
}
