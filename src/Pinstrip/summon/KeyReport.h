#pragma once

#include <cstdint>

// What one raw input event means for the double-tap detector.
struct KeyReport {
    enum class Kind : std::uint8_t { None, Flags, Cancel };
    Kind kind = Kind::None;
    bool modifierDown = false;   // either Alt key is held after this event
    bool otherModifiers = false; // a modifier that spoils a clean tap is held
};
