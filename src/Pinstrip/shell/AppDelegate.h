#pragma once

#include "Dialogs.h"
#include "LoginItem.h"
#include "Platform.h"
#include "Preferences.h"
#include "StripPanel.h"
#include "TrayMenu.h"
#include "UpdateCheck.h"

#include <QObject>
#include <functional>
#include <memory>

class TodoStore;
class HistoryWindow;
class Hotkey;
class OptionDoubleTap;
class QQmlEngine;
class ShortcutOffer;
class SingleInstance;
class StatusItem;
class WindowSystem;

// The root of the running program: owns the store, the tray icon, the strip, the summon
// triggers and the windows the menu opens, and wires them together at launch.
class AppDelegate : public QObject {
    Q_OBJECT

public:
    // What differs between a real desktop and a test.
    struct Environment {
        StripPanel::ScreenSource screens = StripPanel::desktopScreens();
        std::function<bool()> trayAvailable;
        LoginItem loginItem;
    };

    AppDelegate();
    explicit AppDelegate(Environment environment);
    ~AppDelegate() override;

    // The launch sequence. False when another copy already runs: then nothing was created,
    // read or written, and the caller exits. It makes everything the members below use, all
    // together; none of them is called before a launch that succeeded.
    [[nodiscard]] bool applicationDidFinishLaunching();

    // Summon: show the strip, expand it and give its input row the keyboard. `userTime` is the
    // summoning key event's server time, 0 when no key event summoned.
    void hotkeyPressed(quint32 userTime = 0);
    // Show or hide the strip and remember which.
    void togglePanel();
    [[nodiscard]] bool doubleTapEnabled() const { return m_preferences.doubleTapEnabled(); }

    void screensChanged();
    void menuResetPosition();
    void menuToggle();
    void menuPick();
    void menuArchive();
    void menuCheckUpdates();
    void menuQuit();
    void menuToggleDoubleTap();
    void menuOpenAccessibility();
    void menuHistory();
    void menuAbout();
    void menuToggleLogin();

    // The state the tray menu shows right now.
    [[nodiscard]] TrayMenu::State menuState() const;
    void run(TrayMenu::Command command);

    [[nodiscard]] TodoStore* store() const { return m_store.get(); }
    [[nodiscard]] StripPanel* panel() const { return m_panel.get(); }
    [[nodiscard]] StatusItem* statusItem() const { return m_statusItem.get(); }
    [[nodiscard]] OptionDoubleTap* optionTap() const { return m_optionTap.get(); }
    [[nodiscard]] HistoryWindow* historyWindow() const { return m_historyWindow.get(); }
    [[nodiscard]] const SingleInstance* instance() const { return m_instance.get(); }
    [[nodiscard]] const Dialogs& dialogs() const { return m_dialogs; }

private:
    void setupPanel();
    // Places the strip, shows it and remembers it is shown.
    void showPanel();
    void focusChanged(bool active);
    void watchScreen(const QScreen* screen);
    void showUpdateResult(const UpdateCheck::Result& result);
    void perform(TrayMenu::Command command);

    Environment m_environment;
    Preferences m_preferences;
    std::unique_ptr<SingleInstance> m_instance;
    std::unique_ptr<WindowSystem> m_windowSystem;
    std::unique_ptr<TodoStore> m_store;
    std::unique_ptr<QQmlEngine> m_engine;
    std::unique_ptr<Hotkey> m_hotkey;
    std::unique_ptr<OptionDoubleTap> m_optionTap;
    Platform::DoubleTap m_doubleTapSource = Platform::DoubleTap::xinput;
    std::unique_ptr<StripPanel> m_panel;
    // Goes first, and with it every connection that would ask the others for the menu's state.
    std::unique_ptr<StatusItem> m_statusItem;
    std::unique_ptr<HistoryWindow> m_historyWindow;
    std::unique_ptr<UpdateCheck> m_updater;
    Dialogs m_dialogs;
    std::unique_ptr<ShortcutOffer> m_shortcutOffer;
    quint32 m_summonTime = 0;
};
