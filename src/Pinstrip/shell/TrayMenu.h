#pragma once

#include "HotkeyStatus.h"

#include <QMenu>
#include <QString>
#include <array>
#include <functional>

// The tray icon's context menu: one entry per command, made once, whose titles, check marks and
// presence follow the state they are given. Tray hosts that read the menu over D-Bus may never
// say when they show it, so the entries must be right at any moment, not only on opening.
class TrayMenu : public QMenu {
    Q_OBJECT

public:
    enum class Command {
        toggle,
        pick,
        archive,
        history,
        resetPosition,
        toggleDoubleTap,
        openAccessibility,
        toggleLogin,
        checkUpdates,
        about,
        quit,
    };

    struct State {
        bool panelVisible = false;
        bool doubleTapEnabled = true;
        bool monitorActive = false;
        bool loginEnabled = false;
        HotkeyStatus hotkey;
    };

    static inline const QString doubleTapTitle = QStringLiteral("Summon on Double-Alt");
    static inline const QString doubleTapNeedsTitle =
        QStringLiteral("Summon on Double-Alt \u2014 needs Accessibility");

    // Choosing an entry calls `run` with its command.
    explicit TrayMenu(const std::function<void(Command)>& run, QWidget* parent = nullptr);

    void update(const State& state);
    // "Add Item" names the key, or who holds it when the key is not ours.
    [[nodiscard]] static QString pickTitle(const HotkeyStatus& hotkey);
    [[nodiscard]] QAction* action(Command command) const;

protected:
    // A popup's own actions get no shortcuts from Qt, so Control+Q is matched here.
    void keyPressEvent(QKeyEvent* event) override;

private:
    std::array<QAction*, static_cast<std::size_t>(Command::quit) + 1> m_actions{};
};
