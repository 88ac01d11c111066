#pragma once

#include <QString>
#include <functional>

class QMenu;

// The tray icon's context menu, filled afresh from the state of the moment each time it opens.
class TrayMenu {
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
        bool monitorExists = false;
        bool monitorActive = false;
        bool loginEnabled = false;
    };

    static inline const QString doubleTapTitle = QStringLiteral("Summon on Double-\u2325");
    static inline const QString doubleTapNeedsTitle =
        QStringLiteral("Summon on Double-\u2325 \u2014 needs Accessibility");

    // Replaces the menu's entries; choosing one calls `run` with its command.
    static void fill(QMenu& menu, const State& state, const std::function<void(Command)>& run);
};
