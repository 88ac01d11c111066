#pragma once

#include <QKeyCombination>
#include <QString>
#include <functional>

// The desktop's own keyboard-shortcut settings. On X11 a desktop that binds a key through its
// settings daemon or window manager does not make the server refuse our grab, yet the grab
// would silently take the key from it: ask first.
class DesktopShortcuts {
public:
    // Who binds the combination ("GNOME: Terminal"), or empty when the desktop leaves it free
    // or cannot tell.
    using Answer = std::function<void(const QString& owner)>;

    virtual ~DesktopShortcuts() = default;

    // Answers once, later, on the main thread; never from inside this call.
    virtual void find(QKeyCombination combination, Answer answer) = 0;
};
