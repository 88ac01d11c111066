#include "Hotkey.h"

#include <QKeySequence>
#include <QLoggingCategory>

namespace {
Q_LOGGING_CATEGORY(lcSummon, "pinstrip.summon", QtWarningMsg)
}

Hotkey::Hotkey(QKeyCombination combination, Callback callback,
               const HotkeyBackend::Factory& makeBackend, QObject* parent)
    : QObject(parent), m_combination(combination), m_callback(std::move(callback)),
      m_backend(makeBackend(
          combination, [this](quint32 userTime) { pressed(userTime); },
          [this](const HotkeyStatus& status) { reported(status); })) {}

Hotkey::~Hotkey() = default;

QString Hotkey::statusText() const {
    return m_status.text(QKeySequence(m_combination).toString(QKeySequence::NativeText));
}

std::optional<QKeyCombination> Hotkey::proposedBinding() const {
    return m_backend->proposedBinding();
}

QString Hotkey::bind(QKeyCombination combination) {
    return m_backend->bind(combination);
}

void Hotkey::pressed(quint32 userTime) {
    // Never run the callback inside the platform's event handling: it may open windows and
    // take the keyboard. A call still queued when this object dies is dropped with it.
    QMetaObject::invokeMethod(
        this, [this, userTime] { m_callback(userTime); }, Qt::QueuedConnection);
}

void Hotkey::reported(const HotkeyStatus& status) {
    if (status == m_status)
        return;
    m_status = status;
    qCInfo(lcSummon).noquote() << statusText();
    emit statusChanged();
}
