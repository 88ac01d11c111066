import QtQuick
import Pinstrip

// The expanded strip's top line: glyph, name and progress on the left; add, archive and
// collapse on the right. Everything is centred on the tallest element, with sizes rounded up
// and places at whole pixels, as a row layout would have them.
Item {
    id: header
    objectName: "header"

    property TodoStore store
    readonly property int itemCount: store ? store.itemCount : 0
    readonly property int spacing: 7

    implicitHeight: line.implicitHeight + 7 + 5
    height: implicitHeight

    Item {
        id: line
        x: 10
        y: 7
        width: parent.width - 2 * x
        implicitHeight: Math.ceil(Math.max(glyph.implicitHeight, title.implicitHeight,
                                           count.visible ? count.implicitHeight : 0,
                                           buttons.implicitHeight))
        height: implicitHeight

        Text {
            id: glyph
            y: Theme.centred(line.height, implicitHeight)
            text: "⛴"
            color: Theme.primary
            font.family: Theme.fontFamily
            font.pixelSize: 11
        }
        Text {
            id: title
            objectName: "headerTitle"
            x: Math.ceil(glyph.implicitWidth) + header.spacing
            y: Theme.centred(line.height, implicitHeight)
            text: Texts.appName
            color: Theme.secondary
            font.family: Theme.fontFamily
            font.pixelSize: 10
            font.weight: Font.DemiBold
        }
        Text {
            id: count
            objectName: "headerCount"
            x: title.x + Math.ceil(title.implicitWidth) + header.spacing
            y: Theme.centred(line.height, implicitHeight)
            visible: header.itemCount > 0
            text: Texts.progress(header.store ? header.store.doneCount : 0, header.itemCount)
            color: Theme.tertiary
            font.family: Theme.monoFamily
            font.pixelSize: 9
            font.weight: Font.Medium
        }

        Row {
            id: buttons
            x: line.width - width
            spacing: header.spacing

            IconButton {
                objectName: "addButton"
                y: Theme.centred(line.height, implicitHeight)
                visible: !(header.store && header.store.inputActive)
                symbol: "plus"
                size: 9
                weight: Font.Bold
                color: Theme.secondary
                tip: Texts.addTip
                onClicked: header.store.userSetInputActive(true)
            }
            IconButton {
                objectName: "archiveButton"
                y: Theme.centred(line.height, implicitHeight)
                visible: header.itemCount > 0
                symbol: "archivebox"
                size: 9
                weight: Font.DemiBold
                color: Theme.secondary
                tip: Texts.archiveTip
                onClicked: header.store.archiveAndClear()
            }
            IconButton {
                objectName: "collapseButton"
                y: Theme.centred(line.height, implicitHeight)
                symbol: "chevron.up"
                size: 9
                weight: Font.Bold
                color: Theme.tertiary
                tip: Texts.collapseTip
                onClicked: header.store.collapsed = true
            }
        }
    }
}
