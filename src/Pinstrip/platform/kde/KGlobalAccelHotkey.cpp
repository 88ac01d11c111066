#include "KGlobalAccelHotkey.h"

#include <QDBusConnection>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QKeySequence>

namespace {

// The component the shortcut is listed under: the application id, which is also the name of the
// desktop entry System Settings takes the component's name and icon from.
constexpr const char* component = PINSTRIP_APP_ID;
constexpr const char* action = "summon";

const QString service = QStringLiteral("org.kde.kglobalaccel");
const QString servicePath = QStringLiteral("/kglobalaccel");
const QString serviceInterface = QStringLiteral("org.kde.KGlobalAccel");
const QString componentInterface = QStringLiteral("org.kde.kglobalaccel.Component");

// kglobalaccel's setShortcut flags.
constexpr uint setPresent = 2;    // the action exists now; with autoloading, a stored key wins
constexpr uint noAutoloading = 4; // take the keys given, not the stored ones
constexpr uint isDefault = 8;     // set the default keys, not the active ones

QDBusMessage request(const QString& method, const QVariantList& arguments) {
    QDBusMessage message =
        QDBusMessage::createMethodCall(service, servicePath, serviceInterface, method);
    message.setArguments(arguments);
    return message;
}

QString describe(const QDBusError& error) {
    return QStringLiteral("KDE global shortcuts: %1").arg(error.message());
}

} // namespace

KGlobalAccelHotkey::KGlobalAccelHotkey(QKeyCombination combination, Pressed pressed,
                                       Reported reported)
    : m_actionId{QLatin1String(component), QLatin1String(action), QStringLiteral("Pinstrip"),
                 QStringLiteral("Summon Pinstrip")},
      m_keys(combination.toCombined()), m_pressed(std::move(pressed)),
      m_reported(std::move(reported)) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    // One connection's calls reach the service in order: register, set the default key, then
    // ask for the active one, which is the user's stored choice when there is one.
    bus.asyncCall(request(QStringLiteral("doRegister"), {m_actionId}));
    const QVariantList keys{QVariant::fromValue(QList<int>{m_keys})};
    bus.asyncCall(
        request(QStringLiteral("setShortcut"), {m_actionId, keys[0], isDefault | noAutoloading}));
    watch(bus.asyncCall(request(QStringLiteral("setShortcut"), {m_actionId, keys[0], setPresent})),
          [this](const QDBusPendingCall& call) {
              QDBusPendingReply<QList<int>> reply(call);
              if (reply.isError()) {
                  m_reported({HotkeyStatus::State::unavailable, describe(reply.error())});
                  return;
              }
              m_active = true;
              listenThenReport(reply.value());
          });
}

KGlobalAccelHotkey::~KGlobalAccelHotkey() {
    // Waits briefly: the program is about to exit, and a message still queued would be lost,
    // leaving the key held by a component nobody runs.
    if (m_active)
        QDBusConnection::sessionBus().call(request(QStringLiteral("setInactive"), {m_actionId}),
                                           QDBus::Block, 1000);
}

void KGlobalAccelHotkey::watch(const QDBusPendingCall& call,
                               std::function<void(const QDBusPendingCall&)> done) {
    auto* watcher = new QDBusPendingCallWatcher(call, this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [done = std::move(done)](QDBusPendingCallWatcher* finished) {
                finished->deleteLater();
                done(*finished);
            });
}

void KGlobalAccelHotkey::assigned(const QList<int>& keys) {
    if (!keys.isEmpty() && keys.front() != 0) {
        const QString rebound =
            keys.front() == m_keys
                ? QString()
                : QStringLiteral("KDE: rebound to %1")
                      .arg(QKeySequence(keys.front()).toString(QKeySequence::NativeText));
        m_reported({HotkeyStatus::State::registered, rebound});
        return;
    }
    // KDE kept the key for another action: name it, as System Settings does.
    watch(QDBusConnection::sessionBus().asyncCall(request(QStringLiteral("action"), {m_keys})),
          [this](const QDBusPendingCall& call) {
              QDBusPendingReply<QStringList> reply(call);
              const QStringList holder = reply.isError() ? QStringList() : reply.value();
              QString owner = QStringLiteral("KDE");
              if (holder.size() >= 4)
                  owner = QStringLiteral("KDE: %1: %2").arg(holder[2], holder[3]);
              m_reported({HotkeyStatus::State::desktopBinds, owner});
          });
}

// Reports only once presses can reach us, so that a registered key never goes unheard.
void KGlobalAccelHotkey::listenThenReport(const QList<int>& keys) {
    watch(QDBusConnection::sessionBus().asyncCall(
              request(QStringLiteral("getComponent"), {QLatin1String(component)})),
          [this, keys](const QDBusPendingCall& call) {
              QDBusPendingReply<QDBusObjectPath> reply(call);
              if (!reply.isError())
                  QDBusConnection::sessionBus().connect(
                      service, reply.value().path(), componentInterface,
                      QStringLiteral("globalShortcutPressed"), this,
                      SLOT(shortcutPressed(QString, QString, qlonglong)));
              assigned(keys);
          });
}

void KGlobalAccelHotkey::shortcutPressed(const QString& componentName, const QString& actionName,
                                         qlonglong timestamp) {
    if (componentName == QLatin1String(component) && actionName == QLatin1String(action))
        m_pressed(static_cast<quint32>(timestamp));
}
