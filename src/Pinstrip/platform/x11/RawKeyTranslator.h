#pragma once

#include "KeyReport.h"

#include <array>
#include <bitset>
#include <cstdint>

// X keysym values the translator classifies keys by. They are protocol numbers, not tied to
// any X header, so the translation runs and is tested without a display.
namespace Keysym {
inline constexpr std::uint32_t NoSymbol = 0;
inline constexpr std::uint32_t ShiftL = 0xffe1;
inline constexpr std::uint32_t ShiftR = 0xffe2;
inline constexpr std::uint32_t ControlL = 0xffe3;
inline constexpr std::uint32_t ControlR = 0xffe4;
inline constexpr std::uint32_t CapsLock = 0xffe5;
inline constexpr std::uint32_t ShiftLock = 0xffe6;
inline constexpr std::uint32_t MetaL = 0xffe7;
inline constexpr std::uint32_t MetaR = 0xffe8;
inline constexpr std::uint32_t AltL = 0xffe9;
inline constexpr std::uint32_t AltR = 0xffea;
inline constexpr std::uint32_t SuperL = 0xffeb;
inline constexpr std::uint32_t SuperR = 0xffec;
inline constexpr std::uint32_t HyperL = 0xffed;
inline constexpr std::uint32_t HyperR = 0xffee;
inline constexpr std::uint32_t ModeSwitch = 0xff7e;
inline constexpr std::uint32_t NumLock = 0xff7f;
inline constexpr std::uint32_t IsoLevel3Shift = 0xfe03;
inline constexpr std::uint32_t IsoLevel5Shift = 0xfe11;
} // namespace Keysym

// Turns raw key and button events into detector reports. It tracks which keys are held itself,
// because raw events carry no modifier state. Alt is recognised by keysym, not by the modifier
// map, so keycodes that sit in the map without a keysym change nothing. Lock keys are ignored;
// any other key press and any real button press (not the scroll wheel) cancel.
class RawKeyTranslator {
public:
    static constexpr std::size_t keycodeCount = 256;
    using Keymap = std::array<std::uint32_t, keycodeCount>; // keysym per keycode

    RawKeyTranslator();

    // Installs a new keyboard mapping; keys that are held stay held under their new meaning.
    void setKeymap(const Keymap& keysyms);
    // Forgets every held key (nothing is known about keys pressed while not listening).
    void releaseAll();

    KeyReport keyPress(std::uint8_t keycode);
    KeyReport keyRelease(std::uint8_t keycode);
    [[nodiscard]] static KeyReport buttonPress(std::uint32_t button);

private:
    enum class KeyClass : std::uint8_t { Plain, Alt, OtherModifier, Ignored };

    [[nodiscard]] static KeyClass classify(std::uint32_t keysym);
    void count(KeyClass keyClass, int delta);
    [[nodiscard]] KeyReport flags() const;

    std::array<KeyClass, keycodeCount> m_classes{};
    std::bitset<keycodeCount> m_held;
    int m_altHeld = 0;
    int m_otherHeld = 0;
};
