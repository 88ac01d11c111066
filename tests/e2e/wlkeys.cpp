// Keys through KWin's fake-input protocol, in the e2e_keys language: +Key press, -Key release,
// Key tap, sleep:MS, type:TEXT (lower-case letters), stamp (prints the clock in µs). Keys:
// Control_L, Alt_L, Return, Escape, a letter.
#include "fake-input-client-protocol.h"

#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <unistd.h>
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
    for (const auto& [name, linux] :
         {std::pair{"Control_L", 29}, {"Alt_L", 56}, {"Return", 28}, {"Escape", 1}})
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
    wl_display* display = wl_display_connect(nullptr);
    wl_registry* registry = display ? wl_display_get_registry(display) : nullptr;
    if (registry) {
        wl_registry_add_listener(registry, &registryListener, nullptr);
        wl_display_roundtrip(display);
    }
    if (!fakeInput)
        return std::fprintf(stderr, "wlkeys: no compositor with fake input\n"), 2;
    org_kde_kwin_fake_input_authenticate(fakeInput, "pinstrip tests", "end-to-end input");
    const auto send = [&](const std::string& key, bool down) {
        if (code(key) < 0)
            return std::fprintf(stderr, "wlkeys: unknown key %s\n", key.c_str()), false;
        org_kde_kwin_fake_input_keyboard_key(fakeInput, uint32_t(code(key)), down ? 1 : 0);
        wl_display_roundtrip(display);
        usleep(15000);
        return true;
    };
    const auto tap = [&](const std::string& key) { return send(key, true) && send(key, false); };
    bool sent = true;
    for (int i = 1; sent && i < argc; ++i) {
        const std::string action = argv[i];
        if (action == "stamp") { // for latency figures: when the next key goes out
            const auto now = std::chrono::steady_clock::now().time_since_epoch();
            std::printf("%lld\n",
                        static_cast<long long>(
                            std::chrono::duration_cast<std::chrono::microseconds>(now).count()));
            std::fflush(stdout);
        } else if (action.rfind("sleep:", 0) == 0)
            usleep(useconds_t(std::stoi(action.substr(6)) * 1000));
        else if (action.rfind("type:", 0) == 0)
            for (const char c : action.substr(5))
                sent = sent && tap({c});
        else if (action[0] == '+' || action[0] == '-')
            sent = send(action.substr(1), action[0] == '+');
        else
            sent = tap(action);
    }
    org_kde_kwin_fake_input_destroy(fakeInput);
    wl_registry_destroy(registry);
    wl_display_disconnect(display);
    return sent ? 0 : 2;
}
