#include "DesktopShortcuts.h"

#include "GnomeShortcuts.h"
#include "XfceShortcuts.h"

#include <QByteArrayList>

std::unique_ptr<DesktopShortcuts> DesktopShortcuts::create() {
    // "ubuntu:GNOME", "GNOME-Flashback:GNOME", "Unity", "XFCE", "X-Cinnamon"...
    const QList<QByteArray> names = qgetenv("XDG_CURRENT_DESKTOP").toLower().split(':');
    for (const QByteArray& name : names) {
        if (name == "gnome" || name == "unity" || name == "ubuntu" || name == "gnome-classic")
            return GnomeShortcuts::create();
        if (name == "xfce")
            return XfceShortcuts::create();
    }
    return nullptr;
}
