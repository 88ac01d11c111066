#include "KWinLegacyKeySource.h"

#include <QSettings>
#include <QStandardPaths>

KWinLegacyKeySource::KWinLegacyKeySource(std::unique_ptr<KeySource> xinput, QString configFile)
    : m_xinput(std::move(xinput)),
      m_configFile(configFile.isEmpty()
                       ? QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
                             QStringLiteral("/kwinrc")
                       : std::move(configFile)) {}

bool KWinLegacyKeySource::trusted() {
    // Read each time: the user may have just changed the setting in System Settings.
    const QSettings kwinrc(m_configFile, QSettings::IniFormat);
    const QString level = kwinrc.value(QStringLiteral("Xwayland/XwaylandEavesdrops")).toString();
    static const QStringList enough{QStringLiteral("Modifiers"), QStringLiteral("Combinations"),
                                    QStringLiteral("All")};
    return enough.contains(level) && m_xinput->trusted();
}

bool KWinLegacyKeySource::install(Sink sink) {
    return trusted() && m_xinput->install(std::move(sink));
}

void KWinLegacyKeySource::remove() {
    m_xinput->remove();
}
