#pragma once

#include "ScreenCoordinates.h"

#include <QList>
#include <QQuickWindow>
#include <QRect>
#include <functional>
#include <memory>
#include <optional>

class Preferences;
class WindowSystem;

// The floating strip: a frameless tool window above all others, on every desktop, that takes
// the keyboard only while allowKey is true. It sizes itself to its content's implicit size and
// keeps its top-right corner where the user put it, on that monitor's work area, or at the
// default corner of the primary's.
class StripPanel : public QQuickWindow {
    Q_OBJECT

public:
    // A screen's name, full and available (work area) geometry, in Qt coordinates.
    struct Screen {
        QString name;
        QRect geometry;
        QRect available;
        friend bool operator==(const Screen&, const Screen&) = default;
    };
    // Every screen, the primary first.
    using ScreenSource = std::function<QList<Screen>()>;

    StripPanel(WindowSystem& windowSystem, Preferences& preferences,
               ScreenSource screens = desktopScreens());
    ~StripPanel() override;

    [[nodiscard]] static ScreenSource desktopScreens();

    // The root item of the strip; its implicitWidth and implicitHeight are the fitting size.
    void setContent(std::unique_ptr<QQuickItem> root);
    [[nodiscard]] QQuickItem* content() const { return m_root.get(); }

    [[nodiscard]] bool allowKey() const { return m_allowKey; }
    void setAllowKey(bool allow);

    // Shows the strip on top without taking the keyboard.
    void present();
    // Hides and presents the strip, which makes a compositor that keeps the keyboard for the
    // top window (KWin, Mutter) hand it back to the one below.
    void remap();
    // Sizes the panel to its content and puts its top-right corner at its place.
    void relayout();
    // Relayouts once on the next turn, however often it is asked before then: bindings and
    // layouts settle their size a turn after the change that caused it.
    void scheduleRelayout();
    // Forgets the user's place: the strip goes back to the primary's default corner.
    void resetPosition();
    // Has the window manager move the strip with the pointer, as if from where the left button
    // went down; once per press. The window manager takes the pointer, so this program never sees
    // the release, and a drag handler may ask again on a later motion of a button it still
    // believes held.
    Q_INVOKABLE void startMove();

protected:
    bool event(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    // The screens in placement coordinates, and the conversion to them.
    struct Layout {
        ScreenCoordinates coordinates;
        QList<Placement::Monitor> monitors;
    };
    [[nodiscard]] static Layout layout(const QList<Screen>& screens);
    // The user's place, read once; an old corner becomes one the first time there are monitors.
    [[nodiscard]] std::optional<Placement::Place> place(const QList<Placement::Monitor>& monitors);
    void panelMoved(const QRect& geometry);
    // Blends with what lies below (with a compositor), or is opaque and cut to its shape.
    void setTranslucent(bool translucent);
    void updateMask();

    WindowSystem& m_windowSystem;
    Preferences& m_preferences;
    ScreenSource m_screens;
    std::unique_ptr<QQuickItem> m_root;
    bool m_allowKey = false;
    bool m_translucent = false;
    bool m_relayoutPending = false;
    std::optional<Placement::Place> m_place;
    std::optional<QString> m_anchor;    // a corner kept by earlier versions, until it is a place
    std::optional<QPointF> m_pressedAt; // global, of a press that has not started a move yet
    QPointF m_pointerAt;                // global, of the latest press or motion
    QList<QRect> m_targets;             // the latest placements, newest first
    QList<Screen> m_targetScreens;      // the screens they were made on
};
