// xtool grab: holds Control+Alt+T (all lock variants) on the root window, prints "grabbed" and
// runs until killed.
#include <X11/Xlib.h>
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

} // namespace

int main(int argc, char** argv) {
    const std::string command = argc > 1 ? argv[1] : "";
    Display* display = XOpenDisplay(nullptr);
    if (!display)
        return fail("no display");
    return command == "grab" ? grab(display) : fail("usage: xtool grab");
}
