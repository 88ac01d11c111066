// The floor for any Qt Quick strip that shows text: one line through the QML engine, in a window
// with the strip's flags, size and scene graph backend.
#include <QGuiApplication>
#include <QQmlApplicationEngine>
#include <QQuickWindow>
#include <QSGRendererInterface>
#include <QSurfaceFormat>

namespace {

const char* const scene = R"(
import QtQuick
Window {
    flags: Qt.Tool | Qt.FramelessWindowHint | Qt.WindowStaysOnTopHint | Qt.WindowDoesNotAcceptFocus
    width: 300
    height: 40
    color: "#f0f0f0"
    visible: true
    Text {
        anchors.centerIn: parent
        text: "Nothing to do today"
    }
}
)";

} // namespace

int main(int argc, char* argv[]) {
    if (qEnvironmentVariableIsEmpty("QT_QUICK_BACKEND"))
        QQuickWindow::setGraphicsApi(QSGRendererInterface::Software);
    // The strip keeps an alpha channel so that a compositor started later can blend it.
    QSurfaceFormat format = QSurfaceFormat::defaultFormat();
    format.setAlphaBufferSize(8);
    QSurfaceFormat::setDefaultFormat(format);
    QGuiApplication app(argc, argv);
    QQmlApplicationEngine engine;
    engine.loadData(scene);
    return engine.rootObjects().isEmpty() ? 1 : QGuiApplication::exec();
}
