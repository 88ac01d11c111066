#pragma once

#include <optional>

// Recognises a double tap of one modifier key from timed reports. Plain value, no allocation.
class TapDetector {
public:
    static constexpr double maxHold = 0.35; // longest press that is still a tap, inclusive
    static constexpr double maxGap = 0.45;  // longest release-to-press gap, inclusive

    // True exactly when this report completes a double tap (on the second release).
    bool flagsChanged(bool modifierDown, bool otherModifiers, double at);
    // Something other than a modifier change happened (a key or button press).
    void cancel();

private:
    bool m_modifierWasDown = false;
    std::optional<double> m_holdStart;
    std::optional<double> m_pendingTapUp;
};
