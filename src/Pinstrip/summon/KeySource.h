#pragma once

#include "KeyReport.h"

#include <functional>

// A system-wide source of key and button reports. The sink runs on the main thread inside the
// platform's event handling, once per report, with the event's server time in seconds (the
// server's millisecond clock divided by 1000).
class KeySource {
public:
    using Sink = std::function<void(const KeyReport& report, double at)>;

    virtual ~KeySource() = default;

    // Whether system-wide raw input can be read right now.
    [[nodiscard]] virtual bool trusted() = 0;
    // Starts delivering reports to the sink; answers whether it did.
    virtual bool install(Sink sink) = 0;
    // Stops delivering; safe when not installed.
    virtual void remove() = 0;
};
