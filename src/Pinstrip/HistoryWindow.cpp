#include "HistoryWindow.h"

#include "TodoStore.h"

#include <QGuiApplication>
#include <QScreen>

namespace {

constexpr QSize windowSize(360, 420);

} // namespace

HistoryWindow::HistoryWindow(QQmlEngine& engine, TodoStore& store) : QQuickView(&engine, nullptr) {
    setTitle(QStringLiteral("Pinstrip \u2014 Archive"));
    setFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
             Qt::WindowCloseButtonHint);
    setMinimumSize(windowSize);
    setMaximumSize(windowSize);
    resize(windowSize);
    setResizeMode(QQuickView::SizeRootObjectToView);
    setInitialProperties({{QStringLiteral("store"), QVariant::fromValue(&store)}});
    setSource(QUrl(QStringLiteral("qrc:/qt/qml/Pinstrip/HistoryView.qml")));
}

void HistoryWindow::present() {
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
