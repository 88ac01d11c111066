#include "LoginItem.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSaveFile>
#include <QStandardPaths>

namespace {

// Desktop-entry values escape backslashes; Exec arguments with blanks or quotes are quoted.
QString execArgument(QString program) {
    program.replace(QLatin1Char('\\'), QLatin1String("\\\\"));
    if (!program.contains(QRegularExpression(QStringLiteral("[\\s\"'`$]"))))
        return program;
    program.replace(QLatin1Char('"'), QLatin1String("\\\""))
        .replace(QLatin1Char('`'), QLatin1String("\\`"))
        .replace(QLatin1Char('$'), QLatin1String("\\$"));
    return QLatin1Char('"') + program + QLatin1Char('"');
}

} // namespace

LoginItem::LoginItem()
    : LoginItem(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
                    QStringLiteral("/autostart"),
                QCoreApplication::applicationFilePath(), [] { QApplication::beep(); }) {}

LoginItem::LoginItem(QString folder, QString program, Beep beep)
    : m_folder(std::move(folder)), m_program(std::move(program)), m_beep(std::move(beep)) {}

QString LoginItem::entryPath() const {
    return m_folder + QStringLiteral("/" PINSTRIP_APP_ID ".desktop");
}

// Earlier versions named the entry after the binary.
QString LoginItem::legacyEntryPath() const {
    return m_folder + QStringLiteral("/pinstrip.desktop");
}

bool LoginItem::enabled() const {
    return entryEnabled(entryPath()) || entryEnabled(legacyEntryPath());
}

bool LoginItem::entryEnabled(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return false;
    bool inEntry = false;
    while (!file.atEnd()) {
        const QString line = QString::fromUtf8(file.readLine()).trimmed();
        if (line.startsWith(QLatin1Char('['))) {
            inEntry = line == QLatin1String("[Desktop Entry]");
            continue;
        }
        const qsizetype equals = line.indexOf(QLatin1Char('='));
        if (!inEntry || equals < 0)
            continue;
        const QString key = line.left(equals).trimmed();
        const QString value = line.mid(equals + 1).trimmed();
        if (key == QLatin1String("Hidden") && value == QLatin1String("true"))
            return false;
        if (key == QLatin1String("X-GNOME-Autostart-enabled") && value == QLatin1String("false"))
            return false;
    }
    return true;
}

void LoginItem::toggle() {
    const bool done = enabled() ? unregisterEntry() : registerEntry();
    if (!done && m_beep)
        m_beep();
}

bool LoginItem::registerEntry() const {
    if (!QDir().mkpath(m_folder))
        return false;
    QSaveFile file(entryPath());
    if (!file.open(QIODevice::WriteOnly | QIODevice::Text))
        return false;
    const QString entry = QStringLiteral("[Desktop Entry]\n"
                                         "Type=Application\n"
                                         "Name=Pinstrip\n"
                                         "Comment=Today's list, pinned above everything\n"
                                         "Exec=%1\n"
                                         "Icon=" PINSTRIP_APP_ID "\n"
                                         "Terminal=false\n"
                                         "X-GNOME-Autostart-enabled=true\n")
                              .arg(execArgument(m_program));
    file.write(entry.toUtf8());
    // A skipped entry of the old name would otherwise stay beside the new one.
    return file.commit() && removeIfPresent(legacyEntryPath());
}

bool LoginItem::unregisterEntry() const {
    return removeIfPresent(entryPath()) && removeIfPresent(legacyEntryPath());
}

bool LoginItem::removeIfPresent(const QString& path) {
    return !QFileInfo::exists(path) || QFile::remove(path);
}
