#include "RawKeyTranslator.h"

RawKeyTranslator::RawKeyTranslator() {
    m_classes.fill(KeyClass::Plain);
}

RawKeyTranslator::KeyClass RawKeyTranslator::classify(std::uint32_t keysym) {
    switch (keysym) {
    case Keysym::AltL:
    case Keysym::AltR:
        return KeyClass::Alt;
    case Keysym::ShiftL:
    case Keysym::ShiftR:
    case Keysym::ControlL:
    case Keysym::ControlR:
    case Keysym::MetaL:
    case Keysym::MetaR:
    case Keysym::SuperL:
    case Keysym::SuperR:
    case Keysym::HyperL:
    case Keysym::HyperR:
    case Keysym::ModeSwitch:
    case Keysym::IsoLevel3Shift:
    case Keysym::IsoLevel5Shift:
        return KeyClass::OtherModifier;
    case Keysym::CapsLock:
    case Keysym::ShiftLock:
    case Keysym::NumLock:
        return KeyClass::Ignored;
    default:
        return KeyClass::Plain;
    }
}

void RawKeyTranslator::setKeymap(const Keymap& keysyms) {
    m_altHeld = 0;
    m_otherHeld = 0;
    for (std::size_t keycode = 0; keycode < keycodeCount; ++keycode) {
        m_classes[keycode] = classify(keysyms[keycode]);
        if (m_held[keycode])
            count(m_classes[keycode], 1);
    }
}

void RawKeyTranslator::releaseAll() {
    m_held.reset();
    m_altHeld = 0;
    m_otherHeld = 0;
}

void RawKeyTranslator::count(KeyClass keyClass, int delta) {
    if (keyClass == KeyClass::Alt)
        m_altHeld += delta;
    else if (keyClass == KeyClass::OtherModifier)
        m_otherHeld += delta;
}

KeyReport RawKeyTranslator::flags() const {
    return {KeyReport::Kind::Flags, m_altHeld > 0, m_otherHeld > 0};
}

KeyReport RawKeyTranslator::keyPress(std::uint8_t keycode) {
    const KeyClass keyClass = m_classes[keycode];
    const bool repeat = m_held[keycode];
    m_held.set(keycode);
    switch (keyClass) {
    case KeyClass::Plain:
        // Typing between two taps, auto-repeat included, breaks the sequence.
        return {KeyReport::Kind::Cancel};
    case KeyClass::Ignored:
        return {};
    case KeyClass::Alt:
    case KeyClass::OtherModifier:
        if (repeat)
            return {};
        count(keyClass, 1);
        return flags();
    }
    return {};
}

KeyReport RawKeyTranslator::keyRelease(std::uint8_t keycode) {
    if (!m_held[keycode])
        return {}; // a duplicate release, or a key pressed before we listened
    m_held.reset(keycode);
    const KeyClass keyClass = m_classes[keycode];
    if (keyClass != KeyClass::Alt && keyClass != KeyClass::OtherModifier)
        return {};
    count(keyClass, -1);
    return flags();
}

KeyReport RawKeyTranslator::buttonPress(std::uint32_t button) {
    // Buttons 4 to 7 are the scroll wheel: scrolling is not a click.
    if (button >= 4 && button <= 7)
        return {};
    return {KeyReport::Kind::Cancel};
}
