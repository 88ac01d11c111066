// Small X11 helpers for the end-to-end tests, one subcommand each:
//   xtool inject ACTION...   exact input through XTEST: +Key press, -Key release, Key tap
//                            (Key: a keysym name or #keycode), sleep:MS, click:BUTTON, move:X,Y,
//                            type:TEXT
//   xtool grab               holds a passive grab of Control+Alt+T (all lock variants) on the
//                            root window, prints "grabbed" and waits until killed
//   xtool target FILE        a plain window titled "pinstrip-e2e-target" that appends every
//                            typed character to FILE
//   xtool focus              prints the window that has the keyboard focus, in hex
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

#include <cctype>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>

namespace {

int fail(const char* what) {
    std::fprintf(stderr, "xtool: %s\n", what);
    return 2;
}

bool fakeKeycode(Display* display, KeyCode keycode, bool press) {
    if (keycode == 0)
        return false;
    XTestFakeKeyEvent(display, keycode, press ? True : False, CurrentTime);
    return true;
}

bool fakeKeysym(Display* display, KeySym keysym, bool press) {
    return fakeKeycode(display, XKeysymToKeycode(display, keysym), press);
}

// "Alt_L" names a keysym, "#64" a raw keycode.
bool fakeKey(Display* display, const char* name, bool press) {
    if (name[0] == '#')
        return fakeKeycode(display, static_cast<KeyCode>(std::atoi(name + 1)), press);
    return fakeKeysym(display, XStringToKeysym(name), press);
}

bool typeText(Display* display, const std::string& text) {
    for (const char c : text) {
        const bool upper = std::isupper(static_cast<unsigned char>(c));
        const char name[2] = {static_cast<char>(std::tolower(static_cast<unsigned char>(c))), 0};
        KeySym keysym = c == ' ' ? XK_space : XStringToKeysym(name);
        if (keysym == NoSymbol)
            return false;
        if (upper)
            fakeKeysym(display, XK_Shift_L, true);
        fakeKeysym(display, keysym, true);
        fakeKeysym(display, keysym, false);
        if (upper)
            fakeKeysym(display, XK_Shift_L, false);
        XSync(display, False);
    }
    return true;
}

int inject(Display* display, int argc, char** argv) {
    for (int i = 0; i < argc; ++i) {
        const std::string action = argv[i];
        bool ok = true;
        if (action.rfind("sleep:", 0) == 0) {
            std::this_thread::sleep_for(std::chrono::milliseconds(std::atoi(action.c_str() + 6)));
            continue;
        }
        if (action.rfind("click:", 0) == 0) {
            const unsigned button = static_cast<unsigned>(std::atoi(action.c_str() + 6));
            XTestFakeButtonEvent(display, button, True, CurrentTime);
            XTestFakeButtonEvent(display, button, False, CurrentTime);
        } else if (action.rfind("move:", 0) == 0) {
            int x = 0;
            int y = 0;
            ok = std::sscanf(action.c_str() + 5, "%d,%d", &x, &y) == 2;
            if (ok)
                XTestFakeMotionEvent(display, -1, x, y, CurrentTime);
        } else if (action.rfind("type:", 0) == 0) {
            ok = typeText(display, action.substr(5));
        } else if (action[0] == '+' || action[0] == '-') {
            ok = fakeKey(display, action.c_str() + 1, action[0] == '+');
        } else {
            ok = fakeKey(display, action.c_str(), true) && fakeKey(display, action.c_str(), false);
        }
        if (!ok) {
            std::fprintf(stderr, "xtool: cannot inject %s\n", action.c_str());
            return 2;
        }
        XSync(display, False);
    }
    return 0;
}

bool grabRefused = false;

int noteRefusal(Display*, XErrorEvent* error) {
    if (error->error_code == BadAccess)
        grabRefused = true;
    return 0;
}

volatile std::sig_atomic_t stopRequested = 0;

void requestStop(int) {
    stopRequested = 1;
}

int grab(Display* display) {
    XSetErrorHandler(noteRefusal);
    const Window root = DefaultRootWindow(display);
    const KeyCode keycode = XKeysymToKeycode(display, XK_t);
    for (const unsigned locks :
         {0u, unsigned(Mod2Mask), unsigned(LockMask), unsigned(Mod2Mask | LockMask)})
        XGrabKey(display, keycode, ControlMask | Mod1Mask | locks, root, False, GrabModeAsync,
                 GrabModeAsync);
    XSync(display, False);
    if (grabRefused)
        return fail("the grab was refused");
    std::signal(SIGTERM, requestStop);
    std::signal(SIGINT, requestStop);
    std::printf("grabbed\n");
    std::fflush(stdout);
    while (!stopRequested)
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    return 0;
}

int target(Display* display, const char* path) {
    FILE* log = std::fopen(path, "a");
    if (!log)
        return fail("cannot open the log file");
    const int screen = DefaultScreen(display);
    const Window window =
        XCreateSimpleWindow(display, RootWindow(display, screen), 100, 200, 500, 300, 0,
                            BlackPixel(display, screen), WhitePixel(display, screen));
    XStoreName(display, window, "pinstrip-e2e-target");
    XClassHint classHint{const_cast<char*>("pinstrip-e2e-target"),
                         const_cast<char*>("PinstripE2eTarget")};
    XSetClassHint(display, window, &classHint);
    XWMHints hints{};
    hints.flags = InputHint;
    hints.input = True;
    XSetWMHints(display, window, &hints);
    XSelectInput(display, window, KeyPressMask | FocusChangeMask);
    XMapWindow(display, window);
    XFlush(display);
    std::signal(SIGTERM, requestStop);
    while (!stopRequested) {
        if (!XPending(display)) {
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
            continue;
        }
        XEvent event;
        XNextEvent(display, &event);
        if (event.type != KeyPress)
            continue;
        char text[16];
        KeySym keysym = NoSymbol;
        const int length = XLookupString(&event.xkey, text, sizeof text, &keysym, nullptr);
        if (keysym == XK_Return)
            std::fputs("\n", log);
        else if (length > 0)
            std::fwrite(text, 1, static_cast<size_t>(length), log);
        std::fflush(log);
    }
    std::fclose(log);
    return 0;
}

int focus(Display* display) {
    Window window = None;
    int revert = 0;
    XGetInputFocus(display, &window, &revert);
    std::printf("0x%lx\n", window);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2)
        return fail("usage: xtool inject|grab|target|focus ...");
    Display* display = XOpenDisplay(nullptr);
    if (!display)
        return fail("no display");
    const std::string command = argv[1];
    int status = 2;
    if (command == "inject") {
        int event = 0;
        int error = 0;
        int major = 0;
        int minor = 0;
        if (!XTestQueryExtension(display, &event, &error, &major, &minor))
            return fail("no XTEST");
        status = inject(display, argc - 2, argv + 2);
    } else if (command == "grab") {
        status = grab(display);
    } else if (command == "target" && argc == 3) {
        status = target(display, argv[2]);
    } else if (command == "focus") {
        status = focus(display);
    } else {
        status = fail("unknown command");
    }
    XCloseDisplay(display);
    return status;
}
