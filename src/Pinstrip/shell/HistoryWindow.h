#pragma once

#include <QQuickView>

class TodoStore;
class QQmlEngine;

// "Pinstrip — Archive": the archived days in a fixed 360 × 420 window with a title bar and a
// close button. Closing (also by Escape or Ctrl+W) only hides it; it comes back where it was
// left. A hidden window holds no scene: the view is built on each opening and dropped on each
// closing, so days archived meanwhile cost it nothing.
class HistoryWindow : public QQuickView {
    Q_OBJECT

public:
    HistoryWindow(QQmlEngine& engine, TodoStore& store);

    // Shows it in front with the keyboard, centred on the primary screen the first time.
    void present();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    TodoStore& m_store;
    bool m_placed = false;
};
