import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import Pinstrip

// The archive window's content: every archived day as a card, newest first, read-only.
// Property set by the host: store (the TodoStore, required).
Rectangle {
    id: root

    property QtObject store

    implicitWidth: 360
    implicitHeight: 420
    color: Theme.surface

    // A list view, not a column of every card: only the cards in sight (and a screenful
    // around them) exist, so a long archive costs memory only while it is scrolled through.
    ListView {
        id: days
        objectName: "scroller"
        anchors.fill: parent
        topMargin: 16
        bottomMargin: 16
        leftMargin: 16
        rightMargin: 16
        spacing: 14
        currentIndex: -1
        boundsBehavior: Flickable.StopAtBounds
        clip: true
        ScrollBar.vertical: ScrollBar {
            policy: ScrollBar.AsNeeded
        }

        model: ArchiveModel {
            store: root.store
        }

        header: Column {
            width: days.width - 32
            spacing: 14
            bottomPadding: days.count > 0 ? 14 : 0

            Text {
                objectName: "heading"
                text: "Archive"
                color: Theme.primary
                font.family: Theme.fontFamily
                font.pixelSize: 15
                font.weight: Font.Bold
            }

            Text {
                objectName: "emptyText"
                visible: days.count === 0
                width: parent.width
                text: "Nothing archived yet. The archive button (📦) stores today's list and starts a fresh one."
                wrapMode: Text.Wrap
                textFormat: Text.PlainText
                color: Theme.secondary
                font.family: Theme.fontFamily
                font.pixelSize: 12
            }
        }

        delegate: Rectangle {
            id: card
            objectName: "card"

            required property string date
            required property int doneCount
            required property int itemCount
            required property var entries

            width: days.width - 32
            implicitHeight: cardStack.implicitHeight
            height: implicitHeight
            radius: 8
            color: Theme.withOpacity(Theme.primary, 0.04)

            Column {
                id: cardStack
                width: parent.width
                padding: 10
                spacing: 5

                RowLayout {
                    width: cardStack.width - 20

                    Text {
                        objectName: "stamp"
                        text: card.date
                        textFormat: Text.PlainText
                        color: Theme.primary
                        font.family: Theme.monoFamily
                        font.pixelSize: 12
                        font.weight: Font.DemiBold
                    }
                    Item {
                        Layout.fillWidth: true
                    }
                    Text {
                        objectName: "summary"
                        text: card.doneCount + "/" + card.itemCount + " done"
                        color: card.doneCount === card.itemCount ? Theme.green : Theme.secondary
                        font.family: Theme.fontFamily
                        font.pixelSize: 11
                    }
                }

                Repeater {
                    model: card.entries

                    delegate: RowLayout {
                        required property var modelData

                        width: cardStack.width - 20
                        spacing: 6

                        SymbolIcon {
                            objectName: "entryIcon"
                            name: modelData.done ? "checkmark.circle.fill" : "circle"
                            color: modelData.done ? Theme.green : Theme.secondary
                            cutout: Qt.tint(Theme.surface, Theme.withOpacity(Theme.primary, 0.04))
                            size: 10
                        }
                        Text {
                            objectName: "entryTitle"
                            Layout.fillWidth: true
                            text: modelData.title
                            textFormat: Text.PlainText
                            maximumLineCount: 1
                            elide: Text.ElideRight
                            color: Theme.primary
                            font.family: Theme.fontFamily
                            font.pixelSize: 11
                            font.strikeout: modelData.done
                        }
                    }
                }
            }
        }
    }
}
