import QtQuick
import Pinstrip

// Below a list whose every entry is done: the all-clear, centred.
Item {
    objectName: "allDoneRow"
    implicitHeight: label.implicitHeight + 2 * 4
    height: visible ? implicitHeight : 0

    Text {
        id: label
        anchors.centerIn: parent
        text: Texts.allClear
        color: Theme.green
        font.family: Theme.fontFamily
        font.pixelSize: 11
        font.weight: Font.DemiBold
    }
}
