pragma Singleton
import QtQuick

// Colours and fonts of the views. Text colours derive from the desktop's palette, so a light
// or dark desktop gives a light or dark strip; green and yellow are fixed tones that read on
// both.
QtObject {
    readonly property SystemPalette palette: SystemPalette {
        colorGroup: SystemPalette.Active
    }

    readonly property color primary: palette.windowText
    readonly property color secondary: Qt.rgba(primary.r, primary.g, primary.b, 0.62)
    readonly property color tertiary: Qt.rgba(primary.r, primary.g, primary.b, 0.4)
    readonly property color surface: palette.window
    readonly property color green: "#2eaa4f"
    readonly property color yellow: "#e0a400"

    function white(opacity) {
        return Qt.rgba(1, 1, 1, opacity);
    }
    function withOpacity(colour, opacity) {
        return Qt.rgba(colour.r, colour.g, colour.b, colour.a * opacity);
    }

    readonly property string fontFamily: Qt.application.font.family
    // Equal-width digits for counts and stamps.
    readonly property string monoFamily: "monospace"
}
