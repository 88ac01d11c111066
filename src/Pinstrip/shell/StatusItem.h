#pragma once

#include "TrayMenu.h"

#include <QObject>
#include <QString>
#include <functional>
#include <memory>

class QSystemTrayIcon;

// The tray icon, once shown: the "⛴" glyph with its tooltip. A left click reports clicked(); a
// right click opens the context menu, whose entries show the state `state` reads: refresh() when
// it changes, and again as the menu opens.
// The menu and the icon are widgets: they are built on first use, so that a launch showing the
// strip puts up its first frame before any widget exists.
class StatusItem : public QObject {
    Q_OBJECT

public:
    static inline const QString toolTip = QStringLiteral(
        "Pinstrip \u2014 today's list, pinned above everything. Double-tap Alt to summon.");

    StatusItem(std::function<TrayMenu::State()> state, std::function<void(TrayMenu::Command)> run,
               QObject* parent = nullptr);
    ~StatusItem() override;

    // The tooltip, with a second line when Ctrl+Alt+T is not ours.
    [[nodiscard]] static QString toolTipFor(const HotkeyStatus& hotkey);

    [[nodiscard]] TrayMenu& menu();
    void refresh();

    // Puts the icon in the tray. Drawing the glyph loads the colour emoji font, so the caller
    // picks a moment that does not hold up the strip's first frame.
    void show();
    [[nodiscard]] bool shown() const;

signals:
    void clicked();

private:
    std::function<TrayMenu::State()> m_state;
    std::function<void(TrayMenu::Command)> m_run;
    std::unique_ptr<TrayMenu> m_menu;
    std::unique_ptr<QSystemTrayIcon> m_tray;
};
