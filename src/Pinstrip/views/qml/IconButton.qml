import QtQuick
import Pinstrip

// A button that is its symbol alone: no chrome, a tooltip after the usual hover delay, the
// tooltip text as its accessible name. Its click target reaches a few pixels past the symbol,
// or to `targetSize` square where that is larger, so a small glyph stays easy to hit; the
// layout size is the symbol's.
Item {
    id: root

    property alias symbol: glyph.name
    property alias color: glyph.color
    property alias size: glyph.size
    property alias weight: glyph.weight
    property alias cutout: glyph.cutout
    property string tip
    property real targetSize: 0
    readonly property alias hovered: button.containsMouse

    // `at`: where, in the window, the click landed.
    signal clicked(point at)

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
        objectName: "target"
        anchors.centerIn: parent
        width: Math.max(parent.width + 6, root.targetSize)
        height: Math.max(parent.height + 6, root.targetSize)
        hoverEnabled: true

        Accessible.role: Accessible.Button
        Accessible.name: root.tip
        Accessible.onPressAction: root.clicked(mapToItem(null, width / 2, height / 2))

        onClicked: mouse => root.clicked(mapToItem(null, mouse.x, mouse.y))
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
