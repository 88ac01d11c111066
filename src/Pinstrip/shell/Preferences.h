#pragma once

#include <QSettings>
#include <QString>
#include <optional>

// The per-user preferences ($XDG_CONFIG_HOME/Pinstrip/Pinstrip.conf). Absent booleans
// count as true. Every write is flushed at once, so a killed process loses nothing.
class Preferences {
public:
    // Where earlier versions kept the strip's corner; read once to carry it over.
    static inline const QString anchorKey = QStringLiteral("pinstrip.topRightAnchor");
    static inline const QString placeKey = QStringLiteral("pinstrip.place");
    static inline const QString visibleKey = QStringLiteral("pinstrip.visible");
    static inline const QString doubleTapKey = QStringLiteral("pinstrip.doubleTapOption");
    static inline const QString offerShortcutKey = QStringLiteral("pinstrip.offerShortcut");

    Preferences();

    [[nodiscard]] std::optional<QString> anchor() const;
    [[nodiscard]] std::optional<QString> place() const;
    void setPlace(const QString& place);
    // Forgets the place, and a corner stored by earlier versions with it.
    void forgetPlace();

    [[nodiscard]] bool visible() const;
    void setVisible(bool visible);

    [[nodiscard]] bool doubleTapEnabled() const;
    void setDoubleTapEnabled(bool enabled);

    // Whether to offer, once, the key binding a desktop needs before any key reaches us.
    [[nodiscard]] bool offerShortcut() const;
    void setOfferShortcut(bool offer);

private:
    [[nodiscard]] std::optional<QString> text(const QString& key) const;
    [[nodiscard]] bool flag(const QString& key) const;
    void write(const QString& key, const QVariant& value);

    mutable QSettings m_settings;
};
