#pragma once

#include "Platform.h"

#include <QObject>

class Dialogs;
class Hotkey;
class Preferences;

// Where keys reach us only through a binding of the desktop's own (GNOME on Wayland, sway),
// offers to add one: once by itself when none is there yet, and whenever the user asks. Nothing
// is written without the user's yes.
class ShortcutOffer : public QObject {
    Q_OBJECT

public:
    ShortcutOffer(Hotkey& hotkey, Preferences& preferences, Dialogs& dialogs,
                  Platform::DoubleTap session);

    // Shows the offer; false when there is nothing to offer.
    bool show();

private:
    void statusChanged();

    Hotkey& m_hotkey;
    Preferences& m_preferences;
    Dialogs& m_dialogs;
    Platform::DoubleTap m_session;
};
