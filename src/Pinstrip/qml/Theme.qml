pragma Singleton
import QtQuick

// Colours, metrics and motion of the views. Text colours derive from the desktop's palette, so
// a light or dark desktop gives a light or dark strip; green and yellow are fixed tones that
// read on both.
QtObject {
    readonly property SystemPalette palette: SystemPalette {
        colorGroup: SystemPalette.Active
    }

    readonly property color primary: palette.windowText
    readonly property color secondary: withOpacity(primary, 0.62)
    readonly property color tertiary: withOpacity(primary, 0.4)
    readonly property color surface: palette.window
    readonly property color green: "#2eaa4f"
    readonly property color yellow: "#e0a400"
    readonly property color hoverTint: Qt.rgba(1, 1, 1, 0.05)
    readonly property color fieldFill: Qt.rgba(1, 1, 1, 0.07)
    readonly property color badgeFill: withOpacity(yellow, 0.15)
    readonly property color edge: Qt.rgba(1, 1, 1, 0.12)

    function withOpacity(colour, opacity) {
        return Qt.rgba(colour.r, colour.g, colour.b, colour.a * opacity);
    }
    // Where an item of `inner` extent starts to stand centred in `outer`, at a whole pixel, as
    // a row layout would place it.
    function centred(outer, inner) {
        return Math.round((outer - Math.ceil(inner)) / 2);
    }

    readonly property string fontFamily: Qt.application.font.family
    // Equal-width digits for counts and stamps.
    readonly property string monoFamily: "monospace"

    readonly property int stripWidth: 300
    readonly property int cornerRadius: 10
    readonly property real edgeWidth: 0.5
    readonly property int bottomPadding: 6
    readonly property int rowSpacing: 1
    // The smallest click target a pointer should have to hit.
    readonly property int minimumTarget: 24

    // Rows that appear, go or slide settle within a quarter second without overshoot.
    readonly property int motionDuration: 250
    readonly property int motionEasing: Easing.OutCubic
}
