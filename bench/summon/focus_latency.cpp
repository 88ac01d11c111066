// One summon through a Wayland compositor, timed from outside: starts the key command, then
// watches Xwayland's input focus until it is on the strip. The key command prints its steady
// clock in microseconds just before it sends the summoning key; the figure printed is the time
// from there to the strip holding the keyboard, in milliseconds. Exits 1 after 3 s.
//   focus_latency <strip window> <key command...>
#include <X11/Xlib.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <spawn.h>
#include <thread>
#include <unistd.h>

extern char** environ;

int main(int argc, char** argv) {
    using Clock = std::chrono::steady_clock;
    Display* display = XOpenDisplay(nullptr);
    int out[2];
    if (argc < 3 || !display || pipe(out) != 0) {
        std::fprintf(stderr, "usage: focus_latency STRIP KEY-COMMAND...\n");
        return 2;
    }
    const Window strip = std::strtoul(argv[1], nullptr, 0);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    pid_t keys = 0;
    if (posix_spawnp(&keys, argv[2], &actions, nullptr, argv + 2, environ) != 0)
        return 2;
    close(out[1]);
    fcntl(out[0], F_SETFL, O_NONBLOCK);
    const auto deadline = Clock::now() + std::chrono::seconds(3);
    std::string stamp;
    Clock::time_point focused;
    while (focused == Clock::time_point() && Clock::now() < deadline) {
        Window focus = None;
        int revert = 0;
        XGetInputFocus(display, &focus, &revert);
        if (focus == strip)
            focused = Clock::now();
        char buffer[64];
        for (ssize_t n; (n = read(out[0], buffer, sizeof buffer)) > 0;)
            stamp.append(buffer, std::size_t(n));
        std::this_thread::sleep_for(std::chrono::microseconds(250));
    }
    XCloseDisplay(display);
    if (focused == Clock::time_point() || stamp.empty())
        return 1;
    const auto sent = Clock::time_point(std::chrono::microseconds(std::stoll(stamp)));
    std::printf("%.1f\n", std::chrono::duration<double, std::milli>(focused - sent).count());
    return 0;
}
