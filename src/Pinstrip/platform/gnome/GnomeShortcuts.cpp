#include "GnomeShortcuts.h"

#include "CommandShortcuts.h"
#include "GtkAccelerator.h"

#include <QRegularExpression>

namespace {

// One line per key ("SCHEMA KEY VALUE"), each custom binding after a line "custom PATH".
const char* const script = R"(s=org.gnome.settings-daemon.plugins.media-keys
gsettings list-recursively $s
gsettings list-recursively org.gnome.desktop.wm.keybindings
gsettings list-recursively org.gnome.shell.keybindings
for p in $(gsettings get $s custom-keybindings | grep -o "/[^']*/"); do
    echo "custom $p"
    gsettings list-recursively $s.custom-keybinding:$p
done
exit 0)";

// The strings in a GVariant text: 'a' or ['a', "b's"] or @as [].
QStringList quotedStrings(const QString& value) {
    static const QRegularExpression quoted(R"re('((?:[^'\\]|\\.)*)'|"((?:[^"\\]|\\.)*)")re");
    QStringList strings;
    for (const QRegularExpressionMatch& m : quoted.globalMatch(value))
        strings << (m.capturedLength(1) ? m.captured(1) : m.captured(2))
                       .replace(QRegularExpression(R"(\\(.))"), QStringLiteral("\\1"));
    return strings;
}

bool bindsCombination(const QString& value, QKeyCombination combination) {
    for (const QString& accelerator : quotedStrings(value))
        if (GtkAccelerator::parse(accelerator) == combination)
            return true;
    return false;
}

} // namespace

std::unique_ptr<DesktopShortcuts> GnomeShortcuts::create() {
    return std::make_unique<CommandShortcuts>(QStringLiteral("sh"),
                                              QStringList{QStringLiteral("-c"), script}, &ownerIn);
}

QString GnomeShortcuts::ownerIn(const QByteArray& output, QKeyCombination combination) {
    static const QString customSchema =
        QStringLiteral("org.gnome.settings-daemon.plugins.media-keys.custom-keybinding");
    QString customName;
    QString customCommand;
    bool customBinds = false;
    QString found;
    const auto endCustom = [&] {
        if (customBinds && found.isEmpty())
            found = !customName.isEmpty()      ? customName
                    : !customCommand.isEmpty() ? customCommand
                                               : QStringLiteral("a custom shortcut");
        customBinds = false;
        customName.clear();
        customCommand.clear();
    };
    for (const QByteArray& raw : output.split('\n')) {
        const QString line = QString::fromUtf8(raw);
        const QStringList parts = line.split(u' ', Qt::SkipEmptyParts);
        if (parts.size() == 2 && parts[0] == QLatin1String("custom")) {
            endCustom();
            continue;
        }
        if (parts.size() < 3)
            continue;
        const QString& key = parts[1];
        const QString value = line.section(u' ', 2);
        if (parts[0] == customSchema) {
            if (key == QLatin1String("binding"))
                customBinds = bindsCombination(value, combination);
            else if (key == QLatin1String("name") && !quotedStrings(value).isEmpty())
                customName = quotedStrings(value).constFirst();
            else if (key == QLatin1String("command") && !quotedStrings(value).isEmpty())
                customCommand = quotedStrings(value).constFirst();
        } else if (found.isEmpty() && bindsCombination(value, combination)) {
            found = key;
        }
    }
    endCustom();
    return found.isEmpty() ? QString() : QStringLiteral("GNOME: %1").arg(found);
}
