// The floor for the start-up benchmark: an empty Qt Quick window of the strip's size, with the
// scene graph backend pinstrip uses.
#include <QColor>
#include <QGuiApplication>
#include <QQuickWindow>
#include <QSGRendererInterface>

int main(int argc, char* argv[]) {
    if (qEnvironmentVariableIsEmpty("QT_QUICK_BACKEND"))
        QQuickWindow::setGraphicsApi(QSGRendererInterface::Software);
    QGuiApplication app(argc, argv);
    QQuickWindow window;
    window.setColor(QColor(0xf0, 0xf0, 0xf0));
    window.resize(300, 120);
    window.show();
    return QGuiApplication::exec();
}
