// X11 helpers of the end-to-end tests:
//   xtool inject ACTION...  exact input through XTEST: +Key press, -Key release, Key tap (Key a
//                           keysym name), sleep:MS, click:BUTTON, down:BUTTON, up:BUTTON,
//                           at:X,Y (pointer to a place), by:DX,DY,N (N steps of DX,DY, 10 ms apart)
//   xtool grab              holds Control+Alt+T (all lock variants) on the root window, prints
//                           "grabbed" and waits to be killed
//   xtool target FILE       a window titled "pinstrip-e2e-target" that appends what is typed
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

namespace {

volatile std::sig_atomic_t stopRequested = 0;
bool grabRefused = false;

int fail(const char* what) {
    std::fprintf(stderr, "xtool: %s\n", what);
    return 2;
}

void pause(int ms) {
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

bool key(Display* display, KeySym keysym, bool press) {
    const KeyCode keycode = XKeysymToKeycode(display, keysym);
    return keycode && XTestFakeKeyEvent(display, keycode, press, CurrentTime);
}

int inject(Display* display, int argc, char** argv) {
    for (int i = 0; i < argc; ++i) {
        const std::string action = argv[i];
        const std::string value = action.substr(action.find(':') + 1);
        bool ok = true;
        if (action.starts_with("sleep:")) {
            pause(std::atoi(value.c_str()));
        } else if (action.starts_with("click:")) {
            const unsigned button = std::atoi(value.c_str());
            ok = XTestFakeButtonEvent(display, button, True, CurrentTime) &&
                 XTestFakeButtonEvent(display, button, False, CurrentTime);
        } else if (action.starts_with("down:") || action.starts_with("up:")) {
            ok = XTestFakeButtonEvent(display, std::atoi(value.c_str()), action[0] == 'd',
                                      CurrentTime);
        } else if (action.starts_with("at:")) {
            int x = 0, y = 0;
            ok = std::sscanf(value.c_str(), "%d,%d", &x, &y) == 2 &&
                 XTestFakeMotionEvent(display, -1, x, y, CurrentTime);
        } else if (action.starts_with("by:")) {
            int dx = 0, dy = 0, steps = 0;
            ok = std::sscanf(value.c_str(), "%d,%d,%d", &dx, &dy, &steps) == 3;
            for (int step = 0; ok && step < steps; ++step) {
                ok = XTestFakeRelativeMotionEvent(display, dx, dy, CurrentTime);
                XSync(display, False);
                pause(10);
            }
        } else if (action[0] == '+' || action[0] == '-') {
            ok = key(display, XStringToKeysym(action.c_str() + 1), action[0] == '+');
        } else {
            const KeySym keysym = XStringToKeysym(action.c_str());
            ok = key(display, keysym, true) && key(display, keysym, false);
        }
        if (!ok)
            return fail(("cannot inject " + action).c_str());
        XSync(display, False);
    }
    return 0;
}

int grab(Display* display) {
    XSetErrorHandler([](Display*, XErrorEvent* error) {
        grabRefused = grabRefused || error->error_code == BadAccess;
        return 0;
    });
    const KeyCode t = XKeysymToKeycode(display, XK_t);
    for (const unsigned locks :
         {0u, unsigned(Mod2Mask), unsigned(LockMask), unsigned(Mod2Mask | LockMask)})
        XGrabKey(display, t, ControlMask | Mod1Mask | locks, DefaultRootWindow(display), False,
                 GrabModeAsync, GrabModeAsync);
    XSync(display, False);
    if (grabRefused)
        return fail("the grab was refused");
    std::printf("grabbed\n");
    std::fflush(stdout);
    while (!stopRequested)
        pause(5);
    return 0;
}

int target(Display* display, const char* path) {
    FILE* log = std::fopen(path, "a");
    if (!log)
        return fail("cannot open the log file");
    const Window window =
        XCreateSimpleWindow(display, DefaultRootWindow(display), 100, 200, 500, 300, 0, 0,
                            WhitePixel(display, DefaultScreen(display)));
    XStoreName(display, window, "pinstrip-e2e-target");
    XWMHints hints{};
    hints.flags = InputHint;
    hints.input = True;
    XSetWMHints(display, window, &hints);
    XSelectInput(display, window, KeyPressMask);
    XMapWindow(display, window);
    XFlush(display);
    while (!stopRequested) {
        if (!XPending(display)) {
            pause(5);
            continue;
        }
        XEvent event;
        XNextEvent(display, &event);
        if (event.type != KeyPress)
            continue;
        char text[16];
        KeySym keysym = NoSymbol;
        const int length = XLookupString(&event.xkey, text, sizeof text, &keysym, nullptr);
        std::fwrite(keysym == XK_Return ? "\n" : text, 1, keysym == XK_Return ? 1 : length, log);
        std::fflush(log);
    }
    std::fclose(log);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    const std::string command = argc > 1 ? argv[1] : "";
    Display* display = XOpenDisplay(nullptr);
    if (!display)
        return fail("no display");
    int status = 2;
    int unused = 0;
    std::signal(SIGTERM, [](int) { stopRequested = 1; });
    if (command == "inject" && XTestQueryExtension(display, &unused, &unused, &unused, &unused)) {
        status = inject(display, argc - 2, argv + 2);
    } else if (command == "grab") {
        status = grab(display);
    } else if (command == "target" && argc == 3) {
        status = target(display, argv[2]);
    } else {
        status = fail("usage: xtool inject ACTION...|grab|target FILE");
    }
    XCloseDisplay(display);
    return status;
}
