#pragma once

#include <QSettings>
#include <QString>
#include <optional>

// The three per-user preferences ($XDG_CONFIG_HOME/Pinstrip/Pinstrip.conf). Absent booleans
// count as true. Every write is flushed at once, so a killed process loses nothing.
class Preferences {
public:
    static inline const QString anchorKey = QStringLiteral("pinstrip.topRightAnchor");
    static inline const QString visibleKey = QStringLiteral("pinstrip.visible");
    static inline const QString doubleTapKey = QStringLiteral("pinstrip.doubleTapOption");

    Preferences();

    [[nodiscard]] std::optional<QString> anchor() const;
    void setAnchor(const QString& point);
    void removeAnchor();

    [[nodiscard]] bool visible() const;
    void setVisible(bool visible);

    [[nodiscard]] bool doubleTapEnabled() const;
    void setDoubleTapEnabled(bool enabled);

private:
    [[nodiscard]] bool flag(const QString& key) const;
    void write(const QString& key, const QVariant& value);

    mutable QSettings m_settings;
};
