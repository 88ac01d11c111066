#pragma once

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

    // A package build is updated by the package manager; a copy built by hand is not.
    [[nodiscard]] static Message builtWithoutUpdateCheck(bool packaged);
    [[nodiscard]] static Message upToDate(const QString& version);
    [[nodiscard]] static Message updateCheckFailed();
    [[nodiscard]] static Message updateAvailable(const QString& latest, const QString& current);
    [[nodiscard]] static Message noSystemWideKeys();
};
