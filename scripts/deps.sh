#!/usr/bin/env bash
# Installs every Debian package the build, the tests and the app need.
# Does nothing when all of them are present; uses sudo when not run as root.
set -euo pipefail

packages=(
    # build
    build-essential cmake ninja-build pkg-config clang-format
    qt6-base-dev qt6-base-dev-tools qt6-declarative-dev qt6-declarative-dev-tools
    libxcb1-dev libxcb-xfixes0-dev libxcb-xinput-dev libxcb-keysyms1-dev libx11-dev libx11-xcb-dev libxtst-dev
    # QML runtime modules the views import
    qml6-module-qtquick qml6-module-qtquick-controls qml6-module-qtquick-layouts
    qml6-module-qtquick-templates qml6-module-qtquick-window qml6-module-qtqml-workerscript
    qml6-module-qttest
    # fonts: the ⛴ glyph and a text face
    fonts-noto-color-emoji fonts-dejavu-core
    # tests: display, window manager, tray host, compositor, input and screenshots
    xvfb xauth openbox tint2 xcompmgr xdotool x11-utils x11-xserver-utils imagemagick
    # tests: a second desktop, Xfce (compositing window manager, panel with its status tray,
    # its settings store and a private session bus)
    xfwm4 xfce4-panel xfconf dbus-x11 dbus-bin dbus-daemon python3 python3-gi
    # tests: KDE Plasma (kwin_x11, kglobalaccel, Plasma's tray) and GNOME Shell on X11
    kwin-x11 plasma-workspace kded5 gnome-shell gnome-shell-extension-appindicator
    gnome-settings-daemon
    # tests: Wayland sessions (headless KWin with Xwayland, its fake-input protocol for keys, the
    # desktop portal with KDE's global shortcuts)
    kwin-wayland xwayland qt6-wayland libwayland-dev plasma-wayland-protocols procps
    xdg-desktop-portal xdg-desktop-portal-kde
    # tests: sway (headless, driven over its IPC; keys through wtype, screenshots through grim)
    sway grim wtype
    # fuzzing
    clang-14 libclang-rt-14-dev
    # packaging
    dpkg-dev file lintian desktop-file-utils appstream man-db
)

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$p")
    fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
echo "Installing: ${missing[*]}"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
