import QtQuick
import Pinstrip

// One entry of today's list. Model roles itemId, title and status come in as required
// properties; `listModel` (the ItemListModel) receives the row's actions, one call per click.
Item {
    id: row
    objectName: "todoRow"

    required property string itemId
    required property string title
    required property string status
    property ItemListModel listModel

    readonly property bool hovering: hover.hovered
    readonly property bool done: status === "done"
    readonly property bool inProgress: status === "inProgress"
    readonly property var appearance: ({
            "open": {
                "symbol": "circle",
                "colour": Theme.secondary,
                "tip": "Click: mark in progress",
                "spoken": "open"
            },
            "inProgress": {
                "symbol": "circle.lefthalf.filled",
                "colour": Theme.yellow,
                "tip": "Click: mark done",
                "spoken": "in progress"
            },
            "done": {
                "symbol": "checkmark.circle.fill",
                "colour": Theme.green,
                "tip": "Click: reopen",
                "spoken": "done"
            }
        })[status] ?? ({ "symbol": "circle", "colour": Theme.secondary, "tip": "", "spoken": "" })

    implicitHeight: content.implicitHeight + 10
    opacity: done ? 0.55 : 1

    Accessible.role: Accessible.ListItem
    Accessible.name: title
    Accessible.description: appearance.spoken

    HoverHandler {
        id: hover
    }

    Rectangle {
        anchors.fill: parent
        color: row.hovering ? Theme.white(0.05) : "transparent"
    }

    // The whole padded rectangle is the click target; the two buttons above it take their own
    // clicks, so a click there is never also a click on the row.
    MouseArea {
        objectName: "rowBody"
        anchors.fill: parent
        acceptedButtons: Qt.LeftButton | Qt.RightButton
        onClicked: mouse => {
            if (mouse.button === Qt.RightButton)
                menu.popup(row.status);
            else if (row.listModel)
                row.listModel.cycle(row.itemId);
        }
    }

    RowMenu {
        id: menu
        onStatusChosen: chosen => {
            if (row.listModel)
                row.listModel.setStatus(row.itemId, chosen);
        }
        onRemoveChosen: {
            if (row.listModel)
                row.listModel.remove(row.itemId);
        }
    }

    // The status icon, the title taking the width that is left, then the badge and the remove
    // button while shown, all centred on the tallest of them; sizes rounded up and places at
    // whole pixels, as a row layout would have them.
    Item {
        id: content
        x: 12
        width: parent.width - 24
        implicitHeight: Math.ceil(Math.max(statusIcon.implicitHeight, titleText.implicitHeight,
                                           nowBadge.visible ? nowBadge.implicitHeight : 0,
                                           removeButton.visible ? removeButton.implicitHeight : 0))
        height: implicitHeight
        anchors.verticalCenter: parent.verticalCenter

        IconButton {
            id: statusIcon
            objectName: "statusIcon"
            y: Math.round((content.height - Math.ceil(implicitHeight)) / 2)
            symbol: row.appearance.symbol
            color: row.appearance.colour
            tip: row.appearance.tip
            size: 12
            onClicked: {
                if (row.listModel)
                    row.listModel.cycle(row.itemId);
            }
        }

        Text {
            id: titleText
            objectName: "title"
            x: statusIcon.width + 8
            y: Math.round((content.height - Math.ceil(implicitHeight)) / 2)
            width: (nowBadge.visible ? nowBadge.x - 8 : removeButton.visible ? removeButton.x - 8 : content.width) - x
            text: row.title
            textFormat: Text.PlainText
            wrapMode: Text.Wrap
            maximumLineCount: 2
            elide: Text.ElideRight
            color: row.done ? Theme.secondary : Theme.primary
            font.family: Theme.fontFamily
            // 11.5 pixels; QFont takes fractional sizes only in points.
            font.pointSize: 11.5 * 72 / (Screen.logicalPixelDensity > 0 ? Screen.logicalPixelDensity * 25.4 : 96)
            font.weight: row.done ? Font.Normal : Font.Medium
            font.strikeout: row.done
        }

        Rectangle {
            id: nowBadge
            objectName: "nowBadge"
            x: (removeButton.visible ? removeButton.x - 8 : content.width) - width
            y: Math.round((content.height - Math.ceil(implicitHeight)) / 2)
            visible: row.inProgress && !row.hovering
            implicitWidth: badgeText.implicitWidth + 8
            implicitHeight: badgeText.implicitHeight + 3
            width: Math.ceil(implicitWidth)
            height: Math.ceil(implicitHeight)
            radius: height / 2
            color: Theme.withOpacity(Theme.yellow, 0.15)

            Text {
                id: badgeText
                anchors.centerIn: parent
                text: "now"
                color: Theme.yellow
                font.family: Theme.fontFamily
                font.pixelSize: 8
                font.weight: Font.DemiBold
            }
        }

        IconButton {
            id: removeButton
            objectName: "removeButton"
            x: content.width - width
            y: Math.round((content.height - Math.ceil(implicitHeight)) / 2)
            visible: row.hovering
            symbol: "xmark"
            color: Theme.tertiary
            size: 8
            weight: Font.Bold
            tip: "Remove"
            onClicked: {
                if (row.listModel)
                    row.listModel.remove(row.itemId);
            }
        }
    }
}
