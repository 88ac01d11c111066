// Keys for a headless KWin through its fake-input protocol, in the e2e_keys language:
//   +Key press, -Key release, Key tap, sleep:MS, type:TEXT (lower-case letters, digits, space)
// Key names: Control_L, Alt_L, Alt_R, Shift_L, Return, Escape, Tab, space, a letter or a digit.
#include "fake-input-client-protocol.h"

#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <unistd.h>
#include <wayland-client.h>

namespace {

org_kde_kwin_fake_input* fakeInput = nullptr;

void announced(void*, wl_registry* registry, uint32_t name, const char* interface, uint32_t) {
    if (std::strcmp(interface, org_kde_kwin_fake_input_interface.name) == 0)
        fakeInput = static_cast<org_kde_kwin_fake_input*>(
            wl_registry_bind(registry, name, &org_kde_kwin_fake_input_interface, 4));
}

const wl_registry_listener registryListener{announced, [](void*, wl_registry*, uint32_t) {}};

// Linux input event codes of a US layout.
int code(const std::string& key) {
    static const std::map<std::string, int> named{
        {"Control_L", 29}, {"Alt_L", 56}, {"Alt_R", 100}, {"Shift_L", 42}, {"Return", 28},
        {"Escape", 1},     {"Tab", 15},   {"space", 57},  {"0", 11}};
    if (const auto found = named.find(key); found != named.end())
        return found->second;
    static const char* const rows[] = {"1234567890", "qwertyuiop", "asdfghjkl", "zxcvbnm"};
    static const int firsts[] = {2, 16, 30, 44};
    for (int row = 0; key.size() == 1 && row < 4; ++row) {
        if (const char* at = std::strchr(rows[row], key[0]); at && key[0])
            return firsts[row] + int(at - rows[row]);
    }
    return -1;
}

bool send(wl_display* display, const std::string& key, bool down) {
    const int linux = code(key);
    if (linux < 0)
        return std::fprintf(stderr, "wlkeys: unknown key %s\n", key.c_str()), false;
    org_kde_kwin_fake_input_keyboard_key(fakeInput, uint32_t(linux), down ? 1 : 0);
    wl_display_roundtrip(display);
    usleep(15000);
    return true;
}

} // namespace

int main(int argc, char* argv[]) {
    wl_display* display = wl_display_connect(nullptr);
    if (!display)
        return std::fprintf(stderr, "wlkeys: no Wayland display\n"), 2;
    wl_registry* registry = wl_display_get_registry(display);
    wl_registry_add_listener(registry, &registryListener, nullptr);
    wl_display_roundtrip(display);
    if (!fakeInput)
        return std::fprintf(stderr, "wlkeys: the compositor offers no fake input\n"), 2;
    org_kde_kwin_fake_input_authenticate(fakeInput, "pinstrip tests", "end-to-end input");
    for (int i = 1; i < argc; ++i) {
        const std::string action = argv[i];
        bool sent = true;
        if (action.rfind("sleep:", 0) == 0)
            usleep(useconds_t(std::stoi(action.substr(6)) * 1000));
        else if (action.rfind("type:", 0) == 0)
            for (const char c : action.substr(5))
                sent = sent && send(display, {c}, true) && send(display, {c}, false);
        else if (action[0] == '+' || action[0] == '-')
            sent = send(display, action.substr(1), action[0] == '+');
        else
            sent = send(display, action, true) && send(display, action, false);
        if (!sent)
            return 2;
    }
    org_kde_kwin_fake_input_destroy(fakeInput);
    wl_registry_destroy(registry);
    wl_display_disconnect(display);
    return 0;
}
