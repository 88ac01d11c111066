#pragma once

#include <QObject>
#include <QString>
#include <functional>
#include <memory>

class QSystemTrayIcon;
class TrayMenu;

// The tray icon, once shown: the "⛴" glyph with its tooltip. A left click reports clicked(); a
// right click opens the context menu, which `fillMenu` fills afresh just before it shows.
// The menu and the icon are widgets: they are built on first use, so that a launch showing the
// strip puts up its first frame before any widget exists.
class StatusItem : public QObject {
    Q_OBJECT

public:
    static inline const QString toolTip = QStringLiteral(
        "Pinstrip \u2014 today's list, pinned above everything. Double-tap Alt to summon.");

    explicit StatusItem(std::function<void(TrayMenu&)> fillMenu, QObject* parent = nullptr);
    ~StatusItem() override;

    [[nodiscard]] TrayMenu& menu();

    // Puts the icon in the tray. Drawing the glyph loads the colour emoji font, so the caller
    // picks a moment that does not hold up the strip's first frame.
    void show();

signals:
    void clicked();

private:
    std::function<void(TrayMenu&)> m_fillMenu;
    std::unique_ptr<TrayMenu> m_menu;
    std::unique_ptr<QSystemTrayIcon> m_tray;
};
