#include "PortalHotkey.h"

#include "KeyNotation.h"

#include <QDBusArgument>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QGuiApplication>
#include <QKeySequence>
#include <QLoggingCategory>

namespace {

Q_LOGGING_CATEGORY(lcPortal, "pinstrip.platform", QtWarningMsg)

const QString service = QStringLiteral("org.freedesktop.portal.Desktop");
const QString path = QStringLiteral("/org/freedesktop/portal/desktop");
const QString interface = QStringLiteral("org.freedesktop.portal.GlobalShortcuts");
const QString shortcutId = QStringLiteral("summon");

// The portal's a(sa{sv}) shortcut lists: each shortcut's id and properties.
using Shortcuts = QList<std::pair<QString, QVariantMap>>;

// Our one shortcut, its trigger in the portal's notation ("CTRL+ALT+T").
Shortcuts ourShortcuts(QKeyCombination combination) {
    const QString trigger = KeyNotation::spell(combination, KeyNotation::portal);
    return {{shortcutId,
             {{QStringLiteral("description"), QStringLiteral("Summon Pinstrip")},
              {QStringLiteral("preferred_trigger"), trigger}}}};
}

// How the desktop describes our key among the shortcuts of an answer, or none when not listed.
std::optional<QString> ourTrigger(const QVariantMap& results) {
    const auto shortcuts = qdbus_cast<Shortcuts>(results.value(QStringLiteral("shortcuts")));
    for (const auto& [id, properties] : shortcuts)
        if (id == shortcutId)
            return properties.value(QStringLiteral("trigger_description")).toString();
    return std::nullopt;
}

} // namespace

PortalHotkey::PortalHotkey(QKeyCombination combination, Pressed pressed, Reported reported,
                           Fallback fallback, QDBusConnection bus)
    : m_bus(std::move(bus)), m_combination(combination), m_pressed(std::move(pressed)),
      m_reported(std::move(reported)), m_fallback(std::move(fallback)) {
    qDBusRegisterMetaType<Shortcuts::value_type>();
    qDBusRegisterMetaType<Shortcuts>();
    QDBusMessage version = QDBusMessage::createMethodCall(
        service, path, QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"));
    version << interface << QStringLiteral("version");
    auto* watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(version), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* w) {
        w->deleteLater();
        if (w->isError()) {
            qCInfo(lcPortal).noquote()
                << "hot key: no desktop portal with global shortcuts:" << w->error().message();
            m_standIn = m_fallback();
            return;
        }
        m_bus.connect(service, path, interface, QStringLiteral("Activated"), this,
                      SLOT(activated(QDBusMessage)));
        request(QStringLiteral("CreateSession"), {},
                {{QStringLiteral("session_handle_token"), QStringLiteral("pinstrip")},
                 {QStringLiteral("shortcuts"), QVariant::fromValue(ourShortcuts(m_combination))}},
                [this](uint code, const QVariantMap& results) {
                    if (code == 0)
                        sessionCreated(results);
                    else
                        m_reported({HotkeyStatus::State::unavailable,
                                    QStringLiteral("the desktop portal refused a session")});
                });
    });
}

PortalHotkey::~PortalHotkey() {
    // Closing the session gives the key back to the desktop.
    if (!m_session.isEmpty())
        m_bus.asyncCall(QDBusMessage::createMethodCall(
            service, m_session, QStringLiteral("org.freedesktop.portal.Session"),
            QStringLiteral("Close")));
}

std::optional<QKeyCombination> PortalHotkey::proposedBinding() const {
    return m_standIn ? m_standIn->proposedBinding() : std::nullopt;
}

QString PortalHotkey::bind(QKeyCombination combination) {
    return m_standIn ? m_standIn->bind(combination) : HotkeyBackend::bind(combination);
}

void PortalHotkey::request(const QString& method, QVariantList arguments, QVariantMap options,
                           Then then) {
    const QString token = QStringLiteral("pinstrip%1").arg(++m_requests);
    options.insert(QStringLiteral("handle_token"), token);
    arguments << options;
    // The answer may come before the call returns: listen on the path it will have first.
    const QString sender = m_bus.baseService().mid(1).replace(u'.', u'_');
    const QString requestPath = path + QStringLiteral("/request/") + sender + u'/' + token;
    m_pending.insert(requestPath, std::move(then));
    m_bus.connect(service, requestPath, QStringLiteral("org.freedesktop.portal.Request"),
                  QStringLiteral("Response"), this, SLOT(answered(QDBusMessage)));
    QDBusMessage call = QDBusMessage::createMethodCall(service, path, interface, method);
    call.setArguments(arguments);
    auto* watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this, requestPath, method](QDBusPendingCallWatcher* w) {
                w->deleteLater();
                if (!w->isError())
                    return;
                if (Then then = m_pending.take(requestPath))
                    then(2, {});
                qCInfo(lcPortal).noquote() << method << "failed:" << w->error().message();
            });
}

void PortalHotkey::answered(const QDBusMessage& response) {
    Then then = m_pending.take(response.path());
    const QVariantList arguments = response.arguments();
    if (!then || arguments.size() < 2)
        return;
    then(arguments.at(0).toUInt(), qdbus_cast<QVariantMap>(arguments.at(1)));
}

void PortalHotkey::sessionCreated(const QVariantMap& results) {
    // Some portals give the handle as a string, others as an object path.
    const QVariant handle = results.value(QStringLiteral("session_handle"));
    m_session = handle.canConvert<QDBusObjectPath>() ? handle.value<QDBusObjectPath>().path()
                                                     : handle.toString();
    request(QStringLiteral("BindShortcuts"),
            {QVariant::fromValue(QDBusObjectPath(m_session)),
             QVariant::fromValue(ourShortcuts(m_combination)), QString()},
            {}, [this](uint code, const QVariantMap& results) {
                if (code == 0 && ourTrigger(results)) {
                    bound(results);
                    return;
                }
                // Plasma 5.27 binds what the session was created with and answers nothing here.
                request(QStringLiteral("ListShortcuts"),
                        {QVariant::fromValue(QDBusObjectPath(m_session))}, {},
                        [this](uint, const QVariantMap& listed) { bound(listed); });
            });
}

void PortalHotkey::bound(const QVariantMap& results) {
    const std::optional<QString> trigger = ourTrigger(results);
    // Listed without a trigger: the desktop gave the key to another, or the user chose none.
    if (!trigger || trigger->isEmpty()) {
        m_reported({HotkeyStatus::State::unavailable,
                    QStringLiteral("the desktop portal bound no key; set one in the desktop's "
                                   "shortcut settings")});
        return;
    }
    HotkeyStatus status{HotkeyStatus::State::registered, QStringLiteral("the desktop portal")};
    // The user may have chosen another key when the desktop asked.
    const QString asked = QKeySequence(m_combination).toString(QKeySequence::NativeText);
    if (trigger->compare(asked, Qt::CaseInsensitive) != 0)
        status.key = *trigger;
    m_reported(status);
}

void PortalHotkey::activated(const QDBusMessage& signal) {
    const QVariantList arguments = signal.arguments();
    if (arguments.size() < 4 || arguments.at(0).value<QDBusObjectPath>().path() != m_session ||
        arguments.at(1).toString() != shortcutId)
        return;
    const QVariantMap options = qdbus_cast<QVariantMap>(arguments.at(3));
    // Where the portal passes a token, Qt's Wayland plugin reads it on the next activation.
    const QByteArray token = options.value(QStringLiteral("activation_token")).toByteArray();
    if (!token.isEmpty() && QGuiApplication::platformName().startsWith(QLatin1String("wayland")))
        qputenv("XDG_ACTIVATION_TOKEN", token);
    m_pressed(0);
}
