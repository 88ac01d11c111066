#include "ShortcutOffer.h"

#include "Dialogs.h"
#include "Hotkey.h"
#include "Preferences.h"

#include <QKeySequence>
#include <QPushButton>

ShortcutOffer::ShortcutOffer(Hotkey& hotkey, Preferences& preferences, Dialogs& dialogs,
                             Platform::DoubleTap session)
    : m_hotkey(hotkey), m_preferences(preferences), m_dialogs(dialogs), m_session(session) {
    connect(&m_hotkey, &Hotkey::statusChanged, this, &ShortcutOffer::statusChanged);
}

void ShortcutOffer::statusChanged() {
    if (m_hotkey.status().state != HotkeyStatus::State::unbound || !m_preferences.offerShortcut())
        return;
    m_preferences.setOfferShortcut(false);
    show();
}

bool ShortcutOffer::show() {
    const std::optional<QKeyCombination> key = m_hotkey.proposedBinding();
    if (!key)
        return false;
    const auto name = [](QKeyCombination combination) {
        return QKeySequence(combination).toString(QKeySequence::NativeText);
    };
    m_dialogs.show(Dialogs::Kind::shortcut, [&] {
        auto box = Dialogs::messageBox(Messages::shortcutOffer(
            m_session, name(*key), name(m_hotkey.combination()), m_hotkey.status().owner));
        box->setIcon(QMessageBox::Question);
        box->setStandardButtons(QMessageBox::NoButton);
        QPushButton* add = box->addButton(Messages::addShortcut, QMessageBox::AcceptRole);
        box->addButton(Messages::notNow, QMessageBox::RejectRole);
        box->setDefaultButton(add);
        // Queued: the box closes first, and a complaint may take its place.
        connect(
            add, &QPushButton::clicked, this,
            [this, key = *key] {
                const QString error = m_hotkey.bind(key);
                if (!error.isEmpty())
                    m_dialogs.show(Dialogs::Kind::shortcut, [&] {
                        auto failed = Dialogs::messageBox(Messages::shortcutNotAdded(error));
                        failed->setIcon(QMessageBox::Warning);
                        return failed;
                    });
            },
            Qt::QueuedConnection);
        return box;
    });
    return true;
}
