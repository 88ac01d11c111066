import QtQuick
import Pinstrip

// The collapsed strip: the glyph and the state of the day at a glance. The glyph and the text
// are the click targets, not the padding around them; a click expands the strip.
Item {
    id: pill
    objectName: "pill"

    property TodoStore store
    readonly property int itemCount: store ? store.itemCount : 0
    readonly property bool allDone: store ? store.allDone : false
    readonly property int padX: 10
    readonly property int padY: 6
    readonly property int spacing: 6

    // Sums rather than a positioner, so the size is current as soon as the text changes.
    implicitWidth: padX + glyph.implicitWidth + spacing + label.implicitWidth + padX
    implicitHeight: padY + Math.max(glyph.implicitHeight, label.implicitHeight) + padY
    width: implicitWidth
    height: implicitHeight

    Accessible.role: Accessible.Button
    Accessible.name: label.text

    Text {
        id: glyph
        x: pill.padX
        anchors.verticalCenter: parent.verticalCenter
        text: "⛴"
        color: Theme.primary
        font.family: Theme.fontFamily
        font.pixelSize: 12
        MouseArea {
            anchors.fill: parent
            onClicked: pill.store.collapsed = false
        }
    }

    Text {
        id: label
        objectName: "pillText"
        x: glyph.x + glyph.implicitWidth + pill.spacing
        anchors.verticalCenter: parent.verticalCenter
        text: pill.itemCount === 0 ? Texts.nothingYet
            : pill.allDone ? Texts.allClear : Texts.progress(pill.store.doneCount, pill.itemCount)
        color: pill.allDone ? Theme.green : Theme.primary
        font.family: pill.itemCount > 0 && !pill.allDone ? Theme.monoFamily : Theme.fontFamily
        font.pixelSize: 11
        font.weight: pill.itemCount === 0 ? Font.Medium : Font.DemiBold
        MouseArea {
            anchors.fill: parent
            onClicked: pill.store.collapsed = false
        }
    }
}
