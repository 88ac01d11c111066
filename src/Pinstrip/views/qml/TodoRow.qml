import QtQuick
import Pinstrip

// One entry of today's list. Model roles itemId, title and status come in as required
// properties; `listModel` (the ItemListModel) receives the row's actions, one call per click.
Item {
    id: row
    objectName: "todoRow"

    required property string itemId
    required property string title
    required property int status
    property ItemListModel listModel

    readonly property bool hovering: hover.hovered
    readonly property bool done: status === ItemListModel.Done
    readonly property bool inProgress: status === ItemListModel.InProgress
    readonly property var symbol: ["circle", "circle.lefthalf.filled", "checkmark.circle.fill"][status]
    readonly property color statusColour: [Theme.secondary, Theme.yellow, Theme.green][status]

    implicitHeight: Math.max(content.implicitHeight + 2 * 5, Theme.minimumTarget)

    Accessible.role: Accessible.ListItem
    Accessible.name: title
    Accessible.description: Texts.statusNames[status]

    HoverHandler {
        id: hover
    }

    // Drawn at full strength on a done row too, so the hover mark keeps its contrast.
    Rectangle {
        objectName: "hoverTint"
        anchors.fill: parent
        visible: row.hovering
        color: Theme.hoverTint

        Rectangle {
            objectName: "hoverMark"
            width: 2
            height: parent.height
            color: Theme.hoverMark
        }
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
                row.listModel.cycleClicked(row.itemId, mapToItem(null, mouse.x, mouse.y));
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
    // button while shown, all centred on the tallest of them.
    Item {
        id: content
        x: 12
        width: parent.width - 2 * x
        implicitHeight: Math.ceil(Math.max(statusIcon.implicitHeight, titleText.implicitHeight,
                                           nowBadge.visible ? nowBadge.implicitHeight : 0,
                                           removeButton.visible ? removeButton.implicitHeight : 0))
        height: implicitHeight
        anchors.verticalCenter: parent.verticalCenter
        opacity: row.done ? 0.55 : 1

        IconButton {
            id: statusIcon
            objectName: "statusIcon"
            y: Theme.centred(content.height, implicitHeight)
            symbol: row.symbol
            color: row.statusColour
            tip: Texts.clickTips[row.status]
            size: 12
            onClicked: at => {
                if (row.listModel)
                    row.listModel.cycleClicked(row.itemId, at);
            }
        }

        Text {
            id: titleText
            objectName: "title"
            x: statusIcon.width + 8
            y: Theme.centred(content.height, implicitHeight)
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
            y: Theme.centred(content.height, implicitHeight)
            visible: row.inProgress && !row.hovering
            implicitWidth: badgeText.implicitWidth + 2 * 4
            implicitHeight: badgeText.implicitHeight + 2 * 1.5
            width: Math.ceil(implicitWidth)
            height: Math.ceil(implicitHeight)
            radius: height / 2
            color: Theme.badgeFill

            Text {
                id: badgeText
                objectName: "nowText"
                anchors.centerIn: parent
                text: Texts.now
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
            y: Theme.centred(content.height, implicitHeight)
            visible: row.hovering
            symbol: "xmark"
            color: Theme.tertiary
            size: 8
            weight: Font.Bold
            // Reaches 8 past the glyph: up to the title's end, and no further than the row.
            targetSize: Theme.minimumTarget
            tip: Texts.removeTip
            onClicked: {
                if (row.listModel)
                    row.listModel.remove(row.itemId);
            }
        }
    }
}
