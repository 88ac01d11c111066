#include "GnomeCustomShortcut.h"

#include "GnomeShortcuts.h"
#include "GtkAccelerator.h"
#include "KeyNotation.h"
#include "SummonCommand.h"

#include <QKeySequence>
#include <QProcess>

namespace {

const QString schema = QStringLiteral("org.gnome.settings-daemon.plugins.media-keys");
const QString ourPath =
    QStringLiteral("/org/gnome/settings-daemon/plugins/media-keys/custom-keybindings/pinstrip/");

// A GVariant string: 'text' with its quotes and backslashes escaped.
QString variantString(QString text) {
    return u'\'' + text.replace(u'\\', QLatin1String("\\\\")).replace(u'\'', QLatin1String("\\'")) +
           u'\'';
}

// Runs gsettings to the end: its complaint, or empty when it succeeded.
QString gsettings(const QStringList& arguments, QByteArray* output = nullptr) {
    QProcess process;
    process.start(QStringLiteral("gsettings"), arguments);
    if (!process.waitForFinished(3000)) {
        process.kill();
        process.waitForFinished(1000);
        return process.error() == QProcess::FailedToStart
                   ? QStringLiteral("gsettings is not installed.")
                   : QStringLiteral("gsettings did not answer.");
    }
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
        const QString complaint = QString::fromUtf8(process.readAllStandardError()).trimmed();
        return complaint.isEmpty() ? QStringLiteral("gsettings failed.") : complaint;
    }
    if (output)
        *output = process.readAllStandardOutput();
    return {};
}

} // namespace

GnomeCustomShortcut::GnomeCustomShortcut(QKeyCombination combination, Reported reported)
    : m_combination(combination), m_reported(std::move(reported)) {
    read();
}

void GnomeCustomShortcut::read() {
    m_reader = GnomeShortcuts::create([this](const QByteArray& output, QKeyCombination) {
        m_settings = output;
        return QString();
    });
    m_settings.clear();
    m_reader->find(m_combination, [this](const QString&) { report(); });
}

void GnomeCustomShortcut::report() {
    const std::optional<QString> ours = GnomeShortcuts::summonBindingIn(m_settings);
    const std::optional<QKeyCombination> key = ours ? GtkAccelerator::parse(*ours) : std::nullopt;
    m_bound = key.has_value();
    HotkeyStatus status{HotkeyStatus::State::unbound,
                        GnomeShortcuts::ownerIn(m_settings, m_combination)};
    if (key) {
        status = {HotkeyStatus::State::registered, QStringLiteral("a GNOME custom shortcut")};
        if (*key != m_combination)
            status.key = QKeySequence(*key).toString(QKeySequence::NativeText);
    }
    m_reported(status);
}

std::optional<QKeyCombination> GnomeCustomShortcut::proposedBinding() const {
    if (m_bound)
        return std::nullopt;
    const Qt::Key key = m_combination.key();
    const Qt::KeyboardModifiers modifiers = m_combination.keyboardModifiers();
    for (const QKeyCombination candidate :
         {m_combination, QKeyCombination(modifiers | Qt::ShiftModifier, key),
          QKeyCombination(Qt::MetaModifier | Qt::AltModifier, key)}) {
        if (GnomeShortcuts::ownerIn(m_settings, candidate).isEmpty())
            return candidate;
    }
    return std::nullopt;
}

QString GnomeCustomShortcut::bind(QKeyCombination combination) {
    const QString accelerator = KeyNotation::spell(combination, KeyNotation::gtk);
    const QString custom = schema + QStringLiteral(".custom-keybinding:") + ourPath;
    QByteArray list;
    QString error =
        gsettings({QStringLiteral("get"), schema, QStringLiteral("custom-keybindings")}, &list);
    // The entry is complete before the settings daemon sees it in the list.
    for (const auto& [key, value] :
         {std::pair{QStringLiteral("name"), QStringLiteral("Summon Pinstrip")},
          std::pair{QStringLiteral("command"), SummonCommand::text()},
          std::pair{QStringLiteral("binding"), accelerator}}) {
        if (error.isEmpty())
            error = gsettings({QStringLiteral("set"), custom, key, variantString(value)});
    }
    QStringList paths = GnomeShortcuts::stringsOf(QString::fromUtf8(list));
    if (error.isEmpty() && !paths.contains(ourPath)) {
        paths << ourPath;
        QStringList items;
        for (const QString& path : paths)
            items << variantString(path);
        error = gsettings({QStringLiteral("set"), schema, QStringLiteral("custom-keybindings"),
                           u'[' + items.join(QLatin1String(", ")) + u']'});
    }
    read();
    return error;
}
