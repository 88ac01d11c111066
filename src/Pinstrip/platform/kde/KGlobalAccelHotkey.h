#pragma once

#include "HotkeyBackend.h"

#include <QObject>
#include <QStringList>

class QDBusPendingCall;

// The shortcut as a KDE global shortcut (kglobalaccel over D-Bus): listed in System Settings →
// Shortcuts under the application id, rebindable there, its conflicts shown by KDE. The user's
// own binding, once stored, wins over ours at every start; on exit the action goes inactive so
// the key is free for others again.
class KGlobalAccelHotkey : public QObject, public HotkeyBackend {
    Q_OBJECT

public:
    KGlobalAccelHotkey(QKeyCombination combination, Pressed pressed, Reported reported);
    ~KGlobalAccelHotkey() override;

private slots:
    void shortcutPressed(const QString& componentName, const QString& actionName,
                         qlonglong timestamp);

private:
    void watch(const QDBusPendingCall& call, std::function<void(const QDBusPendingCall&)> done);
    void listenThenReport(const QList<int>& keys);
    void assigned(const QList<int>& keys);

    QStringList m_actionId;
    int m_keys;
    Pressed m_pressed;
    Reported m_reported;
    bool m_active = false;
};
