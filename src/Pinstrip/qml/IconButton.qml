import QtQuick
import QtQuick.Controls

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
    readonly property alias hovered: button.hovered

    signal clicked

    implicitWidth: glyph.implicitWidth
    implicitHeight: glyph.implicitHeight

    SymbolIcon {
        id: glyph
        anchors.centerIn: parent
        opacity: button.pressed ? 0.55 : 1
    }

    AbstractButton {
        id: button
        anchors.fill: parent
        anchors.margins: -3
        // Clicking a button must not take the keyboard from the input field.
        focusPolicy: Qt.NoFocus
        hoverEnabled: true
        background: null
        contentItem: null
        padding: 0

        Accessible.role: Accessible.Button
        Accessible.name: root.tip
        ToolTip.text: root.tip
        ToolTip.visible: hovered && root.tip !== ""
        ToolTip.delay: 700

        onClicked: root.clicked()
    }
}
