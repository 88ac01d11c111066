// Summon latency of a running pinstrip: from the injected trigger (the second Alt release, or
// the T of Control-Alt-T) to the strip being mapped with the keyboard focus on it. Before each
// try the strip is hidden with a tray click and the keyboard is on the target window.
//   summon_latency <strip window> <tray icon x> <tray icon y> <target window> [tries]
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <poll.h>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

Display* display = nullptr;

void pause(int ms) {
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

void key(KeySym keysym, bool press) {
    XTestFakeKeyEvent(display, XKeysymToKeycode(display, keysym), press, CurrentTime);
    XSync(display, False);
}

bool viewable(Window window) {
    XWindowAttributes attributes{};
    return XGetWindowAttributes(display, window, &attributes) && attributes.map_state == IsViewable;
}

bool focused(Window window) {
    Window focus = None;
    int revert = 0;
    XGetInputFocus(display, &focus, &revert);
    return focus == window;
}

// Waits for a condition, woken by the strip's map and focus events; false after 3 s.
template <typename Condition> bool waitFor(Condition condition) {
    const auto deadline = Clock::now() + std::chrono::seconds(3);
    while (!condition()) {
        if (Clock::now() > deadline)
            return false;
        while (XPending(display)) {
            XEvent event;
            XNextEvent(display, &event);
        }
        pollfd fd{ConnectionNumber(display), POLLIN, 0};
        poll(&fd, 1, 2);
    }
    return true;
}

void clickTray(int x, int y) {
    XTestFakeMotionEvent(display, -1, x - 200, y - 200, CurrentTime);
    XSync(display, False);
    pause(150);
    XTestFakeMotionEvent(display, -1, x, y, CurrentTime);
    XSync(display, False);
    pause(100);
    XTestFakeButtonEvent(display, 1, True, CurrentTime);
    XTestFakeButtonEvent(display, 1, False, CurrentTime);
    XSync(display, False);
}

void report(const char* what, std::vector<double> ms, int failures) {
    if (ms.empty()) {
        std::printf("%s: no successful try (%d failed)\n", what, failures);
        return;
    }
    std::sort(ms.begin(), ms.end());
    std::printf("%s: median %.1f ms, worst %.1f ms over %zu tries (target median <= 50 ms)%s\n",
                what, ms[ms.size() / 2], ms.back(), ms.size(), failures ? ", some failed" : "");
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 5) {
        std::fprintf(stderr, "usage: summon_latency STRIP TRAY_X TRAY_Y TARGET [TRIES]\n");
        return 2;
    }
    display = XOpenDisplay(nullptr);
    if (!display)
        return 2;
    const Window strip = std::strtoul(argv[1], nullptr, 0);
    const int trayX = std::atoi(argv[2]);
    const int trayY = std::atoi(argv[3]);
    const Window target = std::strtoul(argv[4], nullptr, 0);
    const int tries = argc > 5 ? std::atoi(argv[5]) : 20;
    XSelectInput(display, strip, StructureNotifyMask | FocusChangeMask);

    for (const bool hotkey : {false, true}) {
        std::vector<double> ms;
        int failures = 0;
        for (int i = 0; i < tries; ++i) {
            if (viewable(strip)) {
                clickTray(trayX, trayY);
                if (!waitFor([&] { return !viewable(strip); })) {
                    ++failures;
                    continue;
                }
            }
            XSetInputFocus(display, target, RevertToPointerRoot, CurrentTime);
            XSync(display, False);
            pause(500); // past every double-tap and double-click limit
            Clock::time_point start;
            if (hotkey) {
                key(XK_Control_L, true);
                key(XK_Alt_L, true);
                start = Clock::now();
                key(XK_t, true);
            } else {
                key(XK_Alt_L, true);
                pause(50);
                key(XK_Alt_L, false);
                pause(100);
                key(XK_Alt_L, true);
                pause(50);
                start = Clock::now();
                key(XK_Alt_L, false);
            }
            const bool summoned = waitFor([&] { return viewable(strip) && focused(strip); });
            const auto end = Clock::now();
            if (hotkey) {
                key(XK_t, false);
                key(XK_Alt_L, false);
                key(XK_Control_L, false);
            }
            if (!summoned) {
                ++failures;
                continue;
            }
            ms.push_back(std::chrono::duration<double, std::milli>(end - start).count());
            key(XK_Escape, true);
            key(XK_Escape, false);
            waitFor([&] { return focused(target); });
        }
        report(hotkey ? "summon by Control-Alt-T" : "summon by Alt, Alt", ms, failures);
    }
    XCloseDisplay(display);
    return 0;
}
