import QtQuick
import Pinstrip

// A button that is its symbol alone: no chrome, a tooltip after the usual hover delay, the
// tooltip text as its accessible name. Its hit area reaches a few pixels past the symbol so a
// 9-pixel glyph stays easy to hit; the layout size is the symbol's.
Item {
    id: root

    property alias symbol: glyph.name
    property alias color: glyph.color
    property alias size: glyph.size
    property alias weight: glyph.weight
    property alias cutout: glyph.cutout
    property string tip
    readonly property alias hovered: button.containsMouse

    signal clicked

    implicitWidth: glyph.implicitWidth
    implicitHeight: glyph.implicitHeight

    SymbolIcon {
        id: glyph
        anchors.centerIn: parent
        color: Theme.primary
        cutout: Theme.surface
        opacity: button.pressed ? 0.55 : 1
    }

    // A plain mouse area never takes the keyboard from the input field.
    MouseArea {
        id: button
        anchors.fill: parent
        anchors.margins: -3
        hoverEnabled: true

        Accessible.role: Accessible.Button
        Accessible.name: root.tip
        Accessible.onPressAction: root.clicked()

        onClicked: root.clicked()
        onContainsMouseChanged: {
            if (containsMouse && root.tip !== "")
                tip.active = true;
        }

        // The tooltip's controls load on the first hover, not with the strip.
        Loader {
            id: tip
            anchors.fill: parent
            active: false
            source: "HoverTip.qml"
            onLoaded: {
                item.text = Qt.binding(() => root.tip);
                item.shown = Qt.binding(() => button.containsMouse);
            }
        }
    }
}
