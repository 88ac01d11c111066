// A window titled "pinstrip-e2e-target" that appends what is typed into FILE: printable text as
// is, other keys with modifiers as [Ctrl+Alt+T]. Runs until killed, on any Qt platform.
#include <QFile>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QKeySequence>
#include <QRasterWindow>

class TargetWindow : public QRasterWindow {
public:
    explicit TargetWindow(const QString& path) : m_log(path) {
        m_log.open(QIODevice::Append | QIODevice::Unbuffered);
        setTitle(QStringLiteral("pinstrip-e2e-target"));
    }

protected:
    void keyPressEvent(QKeyEvent* event) override {
        const bool plain = !(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier));
        if (plain && !event->text().isEmpty() && event->text().at(0).isPrint())
            m_log.write(event->text().toUtf8());
        else if (!plain && event->key() < Qt::Key_Shift)
            m_log.write('[' + QKeySequence(event->keyCombination()).toString().toUtf8() + ']');
    }

private:
    QFile m_log;
};

int main(int argc, char* argv[]) {
    QGuiApplication app(argc, argv);
    if (argc != 2)
        return 2;
    TargetWindow window(QString::fromLocal8Bit(argv[1]));
    window.resize(500, 300);
    window.show();
    return QGuiApplication::exec();
}
