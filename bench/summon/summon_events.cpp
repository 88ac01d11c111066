// Cost of one raw input event on the summon path, as the running program pays it: Qt's native
// event filters (hot key and raw-key source), the translation and the double-tap detector.
// Needs an X display with XInput 2. Prints the median nanoseconds per event and the number of
// heap allocations made while handling events.
#include "AllocationCounter.h"
#include "Hotkey.h"
#include "OptionDoubleTap.h"
#include "Platform.h"

#include <QAbstractEventDispatcher>
#include <QGuiApplication>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>
#include <xcb/xcb.h>
#include <xcb/xinput.h>

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    auto* x11 = app.nativeInterface<QNativeInterface::QX11Application>();
    if (!x11) {
        std::fprintf(stderr, "summon_events: needs an X11 session\n");
        return 1;
    }
    long summons = 0;
    Platform platform = Platform::choose();
    Hotkey hotkey(
        QKeyCombination(Qt::ControlModifier | Qt::AltModifier, Qt::Key_T), [](quint32) {},
        platform.hotkey);
    OptionDoubleTap monitor([&summons](quint32) { ++summons; }, std::move(platform.keySource));
    monitor.start(false);
    if (!monitor.active()) {
        std::fprintf(stderr, "summon_events: no XInput 2 on this display\n");
        return 1;
    }
    const std::uint8_t opcode =
        xcb_get_extension_data(x11->connection(), &xcb_input_id)->major_opcode;

    // A realistic mix: Alt taps held too long to complete a double tap, Shift chords, typing
    // and clicks. Keycodes of the usual PC layout: Alt_L 64, Shift_L 50, e 26.
    struct Step {
        std::uint16_t type;
        std::uint32_t detail;
        std::uint32_t advanceMs;
    };
    const Step steps[] = {
        {XCB_INPUT_RAW_KEY_PRESS, 64, 10},    {XCB_INPUT_RAW_KEY_RELEASE, 64, 400},
        {XCB_INPUT_RAW_KEY_PRESS, 50, 10},    {XCB_INPUT_RAW_KEY_PRESS, 64, 10},
        {XCB_INPUT_RAW_KEY_RELEASE, 64, 10},  {XCB_INPUT_RAW_KEY_RELEASE, 50, 10},
        {XCB_INPUT_RAW_KEY_PRESS, 26, 10},    {XCB_INPUT_RAW_KEY_RELEASE, 26, 10},
        {XCB_INPUT_RAW_BUTTON_PRESS, 1, 10},  {XCB_INPUT_RAW_KEY_PRESS, 64, 10},
        {XCB_INPUT_RAW_KEY_RELEASE, 64, 900},
    };
    constexpr std::size_t stepCount = sizeof steps / sizeof steps[0];
    xcb_input_raw_key_press_event_t event{};
    event.response_type = XCB_GE_GENERIC;
    event.extension = opcode;
    event.deviceid = 3;

    auto* dispatcher = QAbstractEventDispatcher::instance();
    const QByteArray eventType("xcb_generic_event_t");
    std::uint32_t now = 1000;
    std::size_t next = 0;
    auto feed = [&](int count) {
        qintptr result = 0;
        for (int i = 0; i < count; ++i) {
            const Step& step = steps[next];
            next = (next + 1) % stepCount;
            now += step.advanceMs;
            event.event_type = step.type;
            event.detail = step.detail;
            event.time = now;
            dispatcher->filterNativeEvent(eventType, &event, &result);
        }
    };

    constexpr int batch = 1100;
    constexpr int batches = 300;
    feed(batch); // warm up
    std::vector<double> perEvent;
    perEvent.reserve(batches);
    const long long allocationsBefore = AllocationCounter::count();
    for (int b = 0; b < batches; ++b) {
        const auto start = std::chrono::steady_clock::now();
        feed(batch);
        const auto end = std::chrono::steady_clock::now();
        perEvent.push_back(std::chrono::duration<double, std::nano>(end - start).count() / batch);
    }
    const long long allocated = AllocationCounter::count() - allocationsBefore;
    std::sort(perEvent.begin(), perEvent.end());
    std::printf("raw event path: median %.0f ns/event, worst batch %.0f ns/event "
                "(target <= 2000 ns), %lld allocations in %d events, %ld summons\n",
                perEvent[perEvent.size() / 2], perEvent.back(), allocated, batch * batches,
                summons);
    return 0;
}
