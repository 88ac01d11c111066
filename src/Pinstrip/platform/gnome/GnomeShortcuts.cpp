#include "GnomeShortcuts.h"

#include "GtkAccelerator.h"

#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <algorithm>

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

// One key of the settings, or one custom binding with its name and command.
struct Binding {
    QString name;
    QString command;
    QString accelerators; // GVariant text: '<Alt>F4' or ['<Alt>F2', '<Alt>t']
};

QList<Binding> bindingsIn(const QByteArray& output) {
    static const QString customSchema =
        QStringLiteral("org.gnome.settings-daemon.plugins.media-keys.custom-keybinding");
    QList<Binding> bindings;
    bool inCustom = false;
    for (const QByteArray& raw : output.split('\n')) {
        const QString line = QString::fromUtf8(raw);
        const QStringList parts = line.split(u' ', Qt::SkipEmptyParts);
        if (parts.size() == 2 && parts[0] == QLatin1String("custom")) {
            bindings.append(Binding{});
            inCustom = true;
            continue;
        }
        if (parts.size() < 3)
            continue;
        const QString value = line.section(u' ', 2);
        if (parts[0] != customSchema) {
            bindings.append(Binding{parts[1], {}, value});
            continue;
        }
        if (!inCustom)
            continue;
        const QStringList strings = GnomeShortcuts::stringsOf(value);
        Binding& custom = bindings.last();
        if (parts[1] == QLatin1String("binding"))
            custom.accelerators = value;
        else if (parts[1] == QLatin1String("name") && !strings.isEmpty())
            custom.name = strings.constFirst();
        else if (parts[1] == QLatin1String("command") && !strings.isEmpty())
            custom.command = strings.constFirst();
    }
    return bindings;
}

bool bindsCombination(const QString& value, QKeyCombination combination) {
    const QStringList accelerators = GnomeShortcuts::stringsOf(value);
    return std::any_of(accelerators.begin(), accelerators.end(), [&](const QString& accelerator) {
        return GtkAccelerator::parse(accelerator) == combination;
    });
}

} // namespace

std::unique_ptr<DesktopShortcuts> GnomeShortcuts::create(CommandShortcuts::Parser parse) {
    return std::make_unique<CommandShortcuts>(
        QStringLiteral("sh"), QStringList{QStringLiteral("-c"), script}, std::move(parse));
}

QString GnomeShortcuts::ownerIn(const QByteArray& output, QKeyCombination combination) {
    for (const Binding& binding : bindingsIn(output)) {
        if (!bindsCombination(binding.accelerators, combination))
            continue;
        const QString who = !binding.name.isEmpty()      ? binding.name
                            : !binding.command.isEmpty() ? binding.command
                                                         : QStringLiteral("a custom shortcut");
        return QStringLiteral("GNOME: %1").arg(who);
    }
    return {};
}

std::optional<QString> GnomeShortcuts::summonBindingIn(const QByteArray& output) {
    for (const Binding& binding : bindingsIn(output)) {
        const QStringList arguments = QProcess::splitCommand(binding.command);
        if (!arguments.isEmpty() &&
            QFileInfo(arguments.constFirst()).fileName() == QLatin1String("pinstrip") &&
            arguments.contains(QLatin1String("--summon"))) {
            const QStringList accelerators = stringsOf(binding.accelerators);
            return accelerators.isEmpty() ? QString() : accelerators.constFirst();
        }
    }
    return std::nullopt;
}

QStringList GnomeShortcuts::stringsOf(const QString& value) {
    static const QRegularExpression quoted(R"re('((?:[^'\\]|\\.)*)'|"((?:[^"\\]|\\.)*)")re");
    static const QRegularExpression escape(R"(\\(.))");
    QStringList strings;
    for (const QRegularExpressionMatch& m : quoted.globalMatch(value))
        strings << (m.capturedLength(1) ? m.captured(1) : m.captured(2))
                       .replace(escape, QStringLiteral("\\1"));
    return strings;
}
