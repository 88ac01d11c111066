#include "HistoryWindow.h"

#include "AppIcon.h"
#include "TodoStore.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QScreen>

namespace {

constexpr QSize windowSize(360, 420);

} // namespace

HistoryWindow::HistoryWindow(QQmlEngine& engine, TodoStore& store)
    : QQuickView(&engine, nullptr), m_store(store) {
    setTitle(QStringLiteral("Pinstrip \u2014 Archive"));
    setIcon(AppIcon::icon());
    setFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
             Qt::WindowCloseButtonHint);
    setMinimumSize(windowSize);
    setMaximumSize(windowSize);
    resize(windowSize);
    setResizeMode(QQuickView::SizeRootObjectToView);
}

void HistoryWindow::present() {
    if (!rootObject()) {
        setInitialProperties({{QStringLiteral("store"), QVariant::fromValue(&m_store)}});
        setSource(QUrl(QStringLiteral("qrc:/qt/qml/Pinstrip/HistoryView.qml")));
    }
    if (!m_placed) {
        m_placed = true;
        if (const QScreen* screen = QGuiApplication::primaryScreen()) {
            QRect frame(QPoint(), windowSize);
            frame.moveCenter(screen->availableGeometry().center());
            setPosition(frame.topLeft());
        }
    }
    show();
    raise();
    requestActivate();
}

void HistoryWindow::keyPressEvent(QKeyEvent* event) {
    const QKeyCombination pressed = event->keyCombination();
    if (pressed == QKeyCombination(Qt::Key_Escape) ||
        pressed == QKeyCombination(Qt::ControlModifier, Qt::Key_W)) {
        close();
        return;
    }
    QQuickView::keyPressEvent(event);
}

void HistoryWindow::hideEvent(QHideEvent* event) {
    QQuickView::hideEvent(event);
    setSource(QUrl());
}
