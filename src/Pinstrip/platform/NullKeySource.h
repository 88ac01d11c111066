#pragma once

#include "KeySource.h"

// Where no system-wide source of raw keys exists: never trusted, never delivers.
class NullKeySource : public KeySource {
public:
    [[nodiscard]] bool trusted() override;
    bool install(Sink sink) override;
    void remove() override;
};
