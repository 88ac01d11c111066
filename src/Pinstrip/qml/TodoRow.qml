import QtQuick
import QtQuick.Layouts
import QtQuick.Window
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

    RowLayout {
        id: content
        anchors.left: parent.left
        anchors.right: parent.right
        anchors.leftMargin: 12
        anchors.rightMargin: 12
        anchors.verticalCenter: parent.verticalCenter
        spacing: 8

        IconButton {
            objectName: "statusIcon"
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
            Layout.fillWidth: true
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
            objectName: "nowBadge"
            visible: row.inProgress && !row.hovering
            implicitWidth: badgeText.implicitWidth + 8
            implicitHeight: badgeText.implicitHeight + 3
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
            objectName: "removeButton"
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
