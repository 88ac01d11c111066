#include "Preferences.h"

Preferences::Preferences() : m_settings(QStringLiteral("Pinstrip"), QStringLiteral("Pinstrip")) {}

std::optional<QString> Preferences::anchor() const {
    return text(anchorKey);
}

std::optional<QString> Preferences::place() const {
    return text(placeKey);
}

void Preferences::setPlace(const QString& place) {
    write(placeKey, place);
}

void Preferences::forgetPlace() {
    m_settings.remove(placeKey);
    m_settings.remove(anchorKey);
    m_settings.sync();
}

bool Preferences::visible() const {
    return flag(visibleKey);
}

void Preferences::setVisible(bool visible) {
    write(visibleKey, visible);
}

bool Preferences::doubleTapEnabled() const {
    return flag(doubleTapKey);
}

void Preferences::setDoubleTapEnabled(bool enabled) {
    write(doubleTapKey, enabled);
}

bool Preferences::offerShortcut() const {
    return flag(offerShortcutKey);
}

void Preferences::setOfferShortcut(bool offer) {
    write(offerShortcutKey, offer);
}

std::optional<QString> Preferences::text(const QString& key) const {
    m_settings.sync();
    const QVariant value = m_settings.value(key);
    if (!value.isValid())
        return std::nullopt;
    return value.toString();
}

bool Preferences::flag(const QString& key) const {
    m_settings.sync();
    const QVariant value = m_settings.value(key);
    return !value.isValid() || value.toBool();
}

void Preferences::write(const QString& key, const QVariant& value) {
    // Launch and every relayout store values that mostly did not change; each real write locks,
    // syncs and renames the file, which would hold up the strip's first frame for nothing.
    m_settings.sync();
    const QVariant stored = m_settings.value(key);
    if (stored.isValid() && stored.toString() == value.toString())
        return;
    m_settings.setValue(key, value);
    m_settings.sync();
}
