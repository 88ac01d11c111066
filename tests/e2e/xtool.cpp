// X11 helpers of the end-to-end tests, both running until killed:
//   xtool grab              holds Control+Alt+T (all lock variants) on the root window, prints
//                           "grabbed"
//   xtool target FILE       a window titled "pinstrip-e2e-target" that appends what is typed
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>

#include <cstdio>
#include <string>
#include <unistd.h>

namespace {

bool grabRefused = false;

int fail(const char* what) {
    std::fprintf(stderr, "xtool: %s\n", what);
    return 2;
}

int grab(Display* display) {
    XSetErrorHandler([](Display*, XErrorEvent* error) {
        grabRefused = grabRefused || error->error_code == BadAccess;
        return 0;
    });
    for (const unsigned locks :
         {0u, unsigned(Mod2Mask), unsigned(LockMask), unsigned(Mod2Mask | LockMask)})
        XGrabKey(display, XKeysymToKeycode(display, XK_t), ControlMask | Mod1Mask | locks,
                 DefaultRootWindow(display), False, GrabModeAsync, GrabModeAsync);
    XSync(display, False);
    if (grabRefused)
        return fail("the grab was refused");
    std::printf("grabbed\n");
    std::fflush(stdout);
    for (;;)
        pause();
}

int target(Display* display, FILE* log) {
    const Window window = XCreateSimpleWindow(display, DefaultRootWindow(display), 100, 200, 500,
                                              300, 0, 0, WhitePixel(display, 0));
    XStoreName(display, window, "pinstrip-e2e-target");
    XWMHints hints{};
    hints.flags = InputHint;
    hints.input = True;
    XSetWMHints(display, window, &hints);
    XSelectInput(display, window, KeyPressMask);
    XMapWindow(display, window);
    for (XEvent event;;) {
        XNextEvent(display, &event);
        if (event.type != KeyPress)
            continue;
        char text[16];
        KeySym keysym = NoSymbol;
        const int length = XLookupString(&event.xkey, text, sizeof text, &keysym, nullptr);
        std::fwrite(keysym == XK_Return ? "\n" : text, 1, keysym == XK_Return ? 1 : length, log);
        std::fflush(log);
    }
}

} // namespace

int main(int argc, char** argv) {
    const std::string command = argc > 1 ? argv[1] : "";
    Display* display = XOpenDisplay(nullptr);
    if (!display)
        return fail("no display");
    if (command == "grab")
        return grab(display);
    FILE* log = command == "target" && argc == 3 ? std::fopen(argv[2], "a") : nullptr;
    return log ? target(display, log) : fail("usage: xtool grab|target FILE");
}
