// Keys for a headless Wayland compositor, in the e2e_keys language: +Key press, -Key release,
// Key tap, sleep:MS, type:TEXT (lower-case letters), stamp (prints the clock in µs). Keys:
// Control_L, Alt_L, Super_L, Return, Escape, Up, a letter. Through KWin's fake-input protocol
// where offered, otherwise through Mutter's remote desktop, whose session lives as long as our
// bus connection.
#include "fake-input-client-protocol.h"

#include <QCoreApplication>
#include <QDBusInterface>
#include <QDBusObjectPath>
#include <QDBusReply>
#include <QThread>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <wayland-client.h>

namespace {

org_kde_kwin_fake_input* fakeInput = nullptr;

const wl_registry_listener registryListener{
    [](void*, wl_registry* registry, uint32_t name, const char* interface, uint32_t) {
        if (std::strcmp(interface, org_kde_kwin_fake_input_interface.name) == 0)
            fakeInput = static_cast<org_kde_kwin_fake_input*>(
                wl_registry_bind(registry, name, &org_kde_kwin_fake_input_interface, 4));
    },
    [](void*, wl_registry*, uint32_t) {}};

// The Linux input event code on a US layout, -1 for an unknown key.
int code(const std::string& key) {
    static const std::pair<std::string, int> named[] = {
        {"Control_L", 29}, {"Alt_L", 56}, {"Super_L", 125}, {"Shift_L", 42},
        {"Return", 28},    {"Escape", 1}, {"Up", 103}};
    for (const auto& [name, linux] : named)
        if (key == name)
            return linux;
    static const char* const rows[] = {"qwertyuiop", "asdfghjkl", "zxcvbnm"};
    for (int row = 0; key.size() == 1 && key[0] && row < 3; ++row)
        if (const char* at = std::strchr(rows[row], key[0]))
            return 16 + 14 * row + int(at - rows[row]);
    return -1;
}

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    wl_display* display = wl_display_connect(nullptr);
    wl_registry* registry = display ? wl_display_get_registry(display) : nullptr;
    if (registry) {
        wl_registry_add_listener(registry, &registryListener, nullptr);
        wl_display_roundtrip(display);
    }
    const QString mutter = QStringLiteral("org.gnome.Mutter.RemoteDesktop");
    std::unique_ptr<QDBusInterface> session;
    if (fakeInput) {
        org_kde_kwin_fake_input_authenticate(fakeInput, "pinstrip tests", "end-to-end input");
    } else if (const QDBusReply<QDBusObjectPath> path =
                   QDBusInterface(mutter, QStringLiteral("/org/gnome/Mutter/RemoteDesktop"), mutter)
                       .call("CreateSession");
               path.isValid()) {
        session =
            std::make_unique<QDBusInterface>(mutter, path.value().path(), mutter + ".Session");
        session->call("Start");
    } else {
        return std::fprintf(stderr, "wlkeys: neither fake input nor a remote desktop\n"), 2;
    }
    const auto send = [&](const std::string& name, bool down) {
        if (code(name) < 0)
            return std::fprintf(stderr, "wlkeys: unknown key %s\n", name.c_str()), false;
        if (session) {
            session->call("NotifyKeyboardKeycode", uint(code(name)), down);
        } else {
            org_kde_kwin_fake_input_keyboard_key(fakeInput, uint32_t(code(name)), down ? 1 : 0);
            wl_display_roundtrip(display);
        }
        QThread::msleep(15);
        return true;
    };
    const auto tap = [&](const std::string& name) { return send(name, true) && send(name, false); };
    bool sent = fakeInput || tap("Shift_L"); // Mutter loses the first key of a session
    for (int i = 1; sent && i < argc; ++i) {
        const std::string action = argv[i];
        if (action == "stamp") { // for latency figures: when the next key goes out
            const auto now = std::chrono::steady_clock::now().time_since_epoch();
            std::printf("%lld\n",
                        static_cast<long long>(
                            std::chrono::duration_cast<std::chrono::microseconds>(now).count()));
            std::fflush(stdout);
        } else if (action.rfind("sleep:", 0) == 0)
            QThread::msleep(std::stoul(action.substr(6)));
        else if (action.rfind("type:", 0) == 0)
            for (const char c : action.substr(5))
                sent = sent && tap({c});
        else if (action[0] == '+' || action[0] == '-')
            sent = send(action.substr(1), action[0] == '+');
        else
            sent = tap(action);
    }
    if (fakeInput)
        org_kde_kwin_fake_input_destroy(fakeInput);
    if (registry)
        wl_registry_destroy(registry);
    if (display)
        wl_display_disconnect(display);
    return sent ? 0 : 2;
}
