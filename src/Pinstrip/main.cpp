#include "AppDelegate.h"

#include <QApplication>
#include <QMetaObject>
#include <QQuickWindow>
#include <QSGRendererInterface>
#include <QtQml/qqmlextensionplugin.h>

Q_IMPORT_QML_PLUGIN(PinstripPlugin)

int main(int argc, char* argv[]) {
    // The software scene graph starts faster and needs a third of the memory of OpenGL for a
    // strip this small; an explicit QT_QUICK_BACKEND still wins.
    if (qEnvironmentVariableIsEmpty("QT_QUICK_BACKEND"))
        QQuickWindow::setGraphicsApi(QSGRendererInterface::Software);

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Pinstrip"));
    QApplication::setApplicationVersion(QStringLiteral(PINSTRIP_VERSION));
    QApplication::setDesktopFileName(QStringLiteral("pinstrip"));
    QApplication::setQuitOnLastWindowClosed(false);

    AppDelegate delegate;
    QMetaObject::invokeMethod(
        &delegate,
        [&delegate] {
            if (!delegate.applicationDidFinishLaunching())
                QCoreApplication::exit(0);
        },
        Qt::QueuedConnection);
    return QApplication::exec();
}
