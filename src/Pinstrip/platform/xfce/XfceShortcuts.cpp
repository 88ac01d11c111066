#include "XfceShortcuts.h"

#include "CommandShortcuts.h"
#include "GtkAccelerator.h"

#include <QHash>
#include <QStringList>

std::unique_ptr<DesktopShortcuts> XfceShortcuts::create() {
    return std::make_unique<CommandShortcuts>(
        QStringLiteral("xfconf-query"),
        QStringList{QStringLiteral("-c"), QStringLiteral("xfce4-keyboard-shortcuts"),
                    QStringLiteral("-lv")},
        &ownerIn);
}

QString XfceShortcuts::ownerIn(const QByteArray& output, QKeyCombination combination) {
    // "/commands/custom/<Primary><Alt>t  exo-open --launch TerminalEmulator": per provider
    // (commands, xfwm4), whatever binds the key in the custom and in the default set.
    struct Found {
        bool hasCustom = false;
        QString custom;
        QString byDefault;
    };
    QHash<QString, Found> providers;
    QStringList order;
    for (const QByteArray& raw : output.split('\n')) {
        const QString line = QString::fromUtf8(raw).trimmed();
        const qsizetype gap = line.indexOf(u' ');
        const QStringList path = line.left(gap < 0 ? line.size() : gap).split(u'/');
        if (path.size() < 4 || !path[0].isEmpty())
            continue;
        const QString& set = path[2];
        const QString accelerator = path.mid(3).join(u'/');
        if (set != QLatin1String("custom") && set != QLatin1String("default"))
            continue;
        if (!providers.contains(path[1]))
            order << path[1];
        Found& found = providers[path[1]];
        const bool custom = set == QLatin1String("custom");
        if (custom && accelerator != QLatin1String("override"))
            found.hasCustom = true;
        if (GtkAccelerator::parse(accelerator) != combination)
            continue;
        const QString action = gap < 0 ? path[1] : line.mid(gap).trimmed();
        (custom ? found.custom : found.byDefault) = action;
    }
    for (const QString& provider : order) {
        const Found& found = providers[provider];
        const QString& action = found.hasCustom ? found.custom : found.byDefault;
        if (!action.isEmpty())
            return QStringLiteral("Xfce: %1").arg(action);
    }
    return {};
}
