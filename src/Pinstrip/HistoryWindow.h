#pragma once

#include <QQuickView>

class TodoStore;
class QQmlEngine;

// "Pinstrip — Archive": the archived days in a fixed 360 × 420 window with a title bar and a
// close button. Closing only hides it; it comes back where it was left.
class HistoryWindow : public QQuickView {
    Q_OBJECT

public:
    HistoryWindow(QQmlEngine& engine, TodoStore& store);

    // Shows it in front with the keyboard, centred on the primary screen the first time.
    void present();

private:
    bool m_placed = false;
};
