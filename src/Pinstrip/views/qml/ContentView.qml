import QtQuick
import Pinstrip

// The strip's content: the collapsed pill, or the header, today's rows and the input row.
// Properties set by the host:
//   store           the TodoStore (required)
//   maxHeight       the tallest the strip may be (the work area's height); 0 means the
//                   screen's available height, or no limit where there is no screen.
//                   While the content fits, the strip grows with every row and nothing
//                   scrolls; beyond that the strip is exactly that tall and the rows scroll
//                   between the fixed header and input row. Never unlimited while a screen
//                   exists: a list of thousands would otherwise build every row at once.
//   surfaceOpacity  the background's opacity, below 1 only where a compositor blends it.
// The root's implicit size is the size the window should have.
Item {
    id: root

    property TodoStore store
    property real maxHeight: 0
    property real surfaceOpacity: 1
    // The text being typed; it outlives the input row being hidden.
    property alias draft: inputRow.draft

    readonly property bool collapsed: store ? store.collapsed : false
    readonly property bool inputActive: store ? store.inputActive : false
    readonly property int itemCount: store ? store.itemCount : 0
    readonly property real heightLimit: maxHeight > 0 ? maxHeight : Math.max(0, Screen.desktopAvailableHeight)

    implicitWidth: collapsed ? pill.implicitWidth : Theme.stripWidth
    implicitHeight: collapsed ? pill.implicitHeight : expanded.fittedHeight

    // A press that turns into a drag anywhere on the background moves the window; plain
    // clicks still reach the buttons and rows, and a drag in the field selects text.
    DragHandler {
        target: null
        enabled: !inputRow.fieldHovered
        onActiveChanged: {
            if (active && root.Window.window)
                root.Window.window.startMove();
        }
    }

    Rectangle {
        anchors.fill: parent
        radius: Theme.cornerRadius
        color: Theme.withOpacity(Theme.surface, root.surfaceOpacity)
    }

    StripPill {
        id: pill
        visible: root.collapsed
        store: root.store
    }

    Item {
        id: expanded
        objectName: "expanded"
        visible: !root.collapsed
        width: Theme.stripWidth
        height: fittedHeight

        readonly property real fixedHeight: header.implicitHeight
            + (emptyRow.visible ? emptyRow.implicitHeight : 0)
            + (allDoneRow.visible ? allDoneRow.implicitHeight : 0)
            + (inputRow.visible ? inputRow.implicitHeight : 0) + Theme.bottomPadding
        readonly property real naturalHeight: fixedHeight + list.contentHeight
        readonly property bool scrolling: root.heightLimit > 0 && naturalHeight > root.heightLimit
        readonly property real fittedHeight: scrolling ? root.heightLimit : naturalHeight

        Column {
            width: parent.width

            StripHeader {
                id: header
                width: parent.width
                store: root.store
            }

            EmptyRow {
                id: emptyRow
                width: parent.width
                visible: root.itemCount === 0 && !root.inputActive
                store: root.store
            }

            ListView {
                id: list
                objectName: "list"
                width: parent.width
                height: expanded.scrolling ? Math.max(0, expanded.fittedHeight - expanded.fixedHeight) : contentHeight
                spacing: Theme.rowSpacing
                interactive: expanded.scrolling
                clip: expanded.scrolling
                boundsBehavior: Flickable.StopAtBounds
                model: ItemListModel {
                    id: items
                    store: root.store
                }
                // Set while an entry typed into the input row is added, so the list shows it.
                property bool revealing: false
                // Its row, scrolled into view once the list has laid it out.
                property int revealRow: -1

                function addAndReveal(title) {
                    revealing = true;
                    root.store.add(title);
                    revealing = false;
                }
                function reveal() {
                    if (revealRow >= 0)
                        positionViewAtIndex(revealRow, ListView.Contain);
                    revealRow = -1;
                }
                // After the strip's height has followed, so the row lands in the final viewport.
                onContentHeightChanged: {
                    if (revealRow >= 0)
                        Qt.callLater(reveal);
                }

                // A list lays out once per frame; rows coming or going change the strip's
                // size, which the host reads right after the store changed.
                Connections {
                    target: items
                    function onRowsInserted(parent, first) {
                        list.forceLayout();
                        if (list.revealing)
                            list.revealRow = first;
                    }
                    function onRowsRemoved() {
                        list.forceLayout();
                    }
                }
                delegate: TodoRow {
                    width: ListView.view.width
                    listModel: items
                }
                add: Transition {
                    NumberAnimation { property: "opacity"; from: 0; to: 1; duration: Theme.motionDuration; easing.type: Theme.motionEasing }
                }
                remove: Transition {
                    NumberAnimation { property: "opacity"; to: 0; duration: Theme.motionDuration; easing.type: Theme.motionEasing }
                }
                move: Transition {
                    NumberAnimation { property: "y"; duration: Theme.motionDuration; easing.type: Theme.motionEasing }
                }
                moveDisplaced: Transition {
                    NumberAnimation { property: "y"; duration: Theme.motionDuration; easing.type: Theme.motionEasing }
                }
                addDisplaced: Transition {
                    NumberAnimation { property: "y"; duration: Theme.motionDuration; easing.type: Theme.motionEasing }
                }
                removeDisplaced: Transition {
                    NumberAnimation { property: "y"; duration: Theme.motionDuration; easing.type: Theme.motionEasing }
                }
            }

            AllDoneRow {
                id: allDoneRow
                width: parent.width
                visible: root.store !== null && root.store.allDone && !root.inputActive
            }

            InputRow {
                id: inputRow
                width: parent.width
                visible: root.inputActive
                store: root.store
                onSubmitted: text => list.addAndReveal(text)
            }
        }

        // Shows that the rows scroll, and how far.
        Rectangle {
            objectName: "scrollIndicator"
            visible: expanded.scrolling
            x: list.width - width - 2
            y: list.y + list.visibleArea.yPosition * list.height
            width: 3
            height: list.visibleArea.heightRatio * list.height
            radius: width / 2
            color: Theme.secondary
        }
    }

    Rectangle {
        objectName: "edge"
        anchors.fill: parent
        radius: Theme.cornerRadius
        color: "transparent"
        border.width: Theme.edgeWidth
        border.color: Theme.edge
    }
}
