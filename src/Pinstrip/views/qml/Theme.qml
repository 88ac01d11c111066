pragma Singleton
import QtQuick

// Colours, metrics and motion of the views. Text colours derive from the desktop's palette, so
// a light or dark desktop gives a light or dark strip. Green, yellow and the tints that mark
// hover and the input field are chosen per palette so that they keep AA contrast on either.
QtObject {
    readonly property SystemPalette palette: SystemPalette {
        colorGroup: SystemPalette.Active
    }

    readonly property color primary: palette.windowText
    readonly property color secondary: withOpacity(primary, 0.62)
    readonly property color tertiary: withOpacity(primary, 0.4)
    readonly property color surface: palette.window
    readonly property bool dark: surface.hslLightness < 0.5
    readonly property color green: dark ? "#3dcb62" : "#1e7b36"
    readonly property color yellow: dark ? "#f5c542" : "#7a5600"
    // White at low opacity vanishes on a light surface; the text colour tints either palette.
    readonly property color hoverTint: withOpacity(primary, 0.07)
    // The hovered row's mark and the field's outline are what show the state: 3:1 or more.
    readonly property color hoverMark: secondary
    readonly property color fieldFill: withOpacity(primary, 0.05)
    readonly property color fieldEdge: withOpacity(primary, 0.55)
    readonly property color badgeFill: withOpacity(yellow, 0.15)
    // The outline that keeps a translucent strip apart from what lies behind it.
    readonly property color edge: withOpacity(primary, 0.25)

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
