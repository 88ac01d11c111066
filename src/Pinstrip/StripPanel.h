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
// keeps its top-right corner on the remembered anchor inside the primary screen's work area.
class StripPanel : public QQuickWindow {
    Q_OBJECT

public:
    // The primary screen's full and available (work area) geometry, in Qt coordinates.
    struct Screens {
        QRect geometry;
        QRect available;
    };
    using ScreenSource = std::function<std::optional<Screens>()>;

    StripPanel(WindowSystem& windowSystem, Preferences& preferences,
               ScreenSource screens = primaryScreen());
    ~StripPanel() override;

    [[nodiscard]] static ScreenSource primaryScreen();

    // The root item of the strip; its implicitWidth and implicitHeight are the fitting size.
    void setContent(std::unique_ptr<QQuickItem> root);
    [[nodiscard]] QQuickItem* content() const { return m_root.get(); }

    [[nodiscard]] bool allowKey() const { return m_allowKey; }
    void setAllowKey(bool allow);

    // Shows the strip on top without taking the keyboard.
    void present();
    // Sizes the panel to its content and puts its top-right corner on the anchor.
    void relayout();
    // Stores the default anchor and places the panel there.
    void resetPosition();

protected:
    void showEvent(QShowEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    // The primary screen in placement coordinates: the conversion and the work area, if any.
    struct Area {
        ScreenCoordinates coordinates;
        std::optional<Placement::Rect> visibleFrame;
    };
    [[nodiscard]] Area area() const;
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
    QList<QRect> m_targets; // the latest placements, newest first
    QRect m_targetArea;     // the work area they were made in
};
