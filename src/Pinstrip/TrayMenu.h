#pragma once

#include <QMenu>
#include <QPointer>
#include <QString>
#include <functional>

// The tray icon's context menu, filled afresh from the state of the moment each time it opens.
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
        bool monitorExists = false;
        bool monitorActive = false;
        bool loginEnabled = false;
    };

    static inline const QString doubleTapTitle = QStringLiteral("Summon on Double-Alt");
    static inline const QString doubleTapNeedsTitle =
        QStringLiteral("Summon on Double-Alt \u2014 needs Accessibility");

    using QMenu::QMenu;

    // Replaces the entries; choosing one calls `run` with its command.
    void fill(const State& state, const std::function<void(Command)>& run);

protected:
    // A popup's own actions get no shortcuts from Qt, so Control+Q is matched here.
    void keyPressEvent(QKeyEvent* event) override;

private:
    QPointer<QAction> m_quit;
};
