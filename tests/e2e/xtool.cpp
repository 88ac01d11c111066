// X11 helpers of the end-to-end tests:
//   xtool grab              holds Control+Alt+T (all lock variants) on the root window, prints
//                           "grabbed" and waits to be killed
//   xtool target FILE       a window titled "pinstrip-e2e-target" that appends what is typed
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>

#include <chrono>
#include <csignal>
#include <cstdio>
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
    std::signal(SIGTERM, [](int) { stopRequested = 1; });
    if (command == "grab") {
        status = grab(display);
    } else if (command == "target" && argc == 3) {
        status = target(display, argv[2]);
    } else {
        status = fail("usage: xtool grab|target FILE");
    }
    XCloseDisplay(display);
    return status;
}
