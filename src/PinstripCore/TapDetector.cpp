#include "TapDetector.h"

bool TapDetector::flagsChanged(bool modifierDown, bool otherModifiers, double at) {
    if (otherModifiers) {
        m_holdStart.reset();
        m_pendingTapUp.reset();
        m_modifierWasDown = modifierDown;
        return false;
    }
    if (modifierDown) {
        if (m_modifierWasDown)
            return false;
        if (m_pendingTapUp && at - *m_pendingTapUp > maxGap)
            m_pendingTapUp.reset();
        m_holdStart = at;
        m_modifierWasDown = true;
        return false;
    }
    if (!m_modifierWasDown || !m_holdStart) {
        m_modifierWasDown = false;
        return false;
    }
    const double held = at - *m_holdStart;
    m_holdStart.reset();
    m_modifierWasDown = false;
    // Written as "not <=" so that a NaN time spoils the tap instead of completing one.
    if (!(held <= maxHold)) {
        m_pendingTapUp.reset();
        return false;
    }
    if (!m_pendingTapUp) {
        m_pendingTapUp = at;
        return false;
    }
    m_pendingTapUp.reset();
    return true;
}

void TapDetector::cancel() {
    m_holdStart.reset();
    m_pendingTapUp.reset();
}
