import QtQuick
import Pinstrip

// Shown while today's list is empty: the question and the summon keys. The whole padded
// rectangle, blank areas included, is the click target; a click opens the input row.
Item {
    id: emptyRow
    objectName: "emptyRow"

    property TodoStore store

    implicitHeight: content.implicitHeight + 2 * 8
    height: visible ? implicitHeight : 0

    Accessible.role: Accessible.Button
    Accessible.name: question.text

    MouseArea {
        anchors.fill: parent
        onClicked: emptyRow.store.userSetInputActive(true)
    }

    Item {
        id: content
        x: 12
        width: parent.width - 2 * x
        implicitHeight: Math.ceil(Math.max(question.implicitHeight, keys.implicitHeight))
        height: implicitHeight
        anchors.verticalCenter: parent.verticalCenter

        Text {
            id: question
            y: Theme.centred(content.height, implicitHeight)
            text: Texts.nothingYet
            color: Theme.primary
            font.family: Theme.fontFamily
            font.pixelSize: 12
            font.weight: Font.Medium
        }
        Text {
            id: keys
            objectName: "summonKeys"
            x: content.width - Math.ceil(implicitWidth)
            y: Theme.centred(content.height, implicitHeight)
            text: Texts.summonKeys
            color: Theme.secondary
            font.family: Theme.monoFamily
            font.pixelSize: 11
        }
    }
}
