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

    property QtObject store
    property real maxHeight: 0
    property real surfaceOpacity: 1
    // The text being typed; it outlives the input row being hidden.
    property alias draft: field.text

    readonly property bool collapsed: store ? store.collapsed : false
    readonly property bool inputActive: store ? store.inputActive : false
    readonly property int itemCount: store ? store.itemCount : 0
    readonly property int doneCount: store ? store.doneCount : 0
    readonly property bool allDone: store ? store.allDone : false
    readonly property string progressText: doneCount + "/" + itemCount
    readonly property real heightLimit: maxHeight > 0 ? maxHeight : Math.max(0, Screen.desktopAvailableHeight)

    implicitWidth: collapsed ? pill.implicitWidth : 300
    implicitHeight: collapsed ? pill.implicitHeight : expanded.fittedHeight

    // A press that turns into a drag anywhere on the background moves the window; plain
    // clicks still reach the buttons and rows, and a drag in the field selects text.
    DragHandler {
        target: null
        enabled: !field.hovered
        onActiveChanged: {
            if (active && root.Window.window)
                root.Window.window.startSystemMove();
        }
    }

    Rectangle {
        anchors.fill: parent
        radius: 10
        color: Theme.withOpacity(Theme.surface, root.surfaceOpacity)
    }

    Item {
        id: pill
        objectName: "pill"
        visible: root.collapsed
        // Sums rather than a positioner, so the size is current as soon as the text changes.
        implicitWidth: 10 + pillGlyph.implicitWidth + 6 + pillText.implicitWidth + 10
        implicitHeight: 6 + Math.max(pillGlyph.implicitHeight, pillText.implicitHeight) + 6
        width: implicitWidth
        height: implicitHeight

        Accessible.role: Accessible.Button
        Accessible.name: pillText.text

        // The glyph and the text are the click targets, not the padding around them.
        Text {
            id: pillGlyph
            x: 10
            anchors.verticalCenter: parent.verticalCenter
            text: "⛴"
            color: Theme.primary
            font.family: Theme.fontFamily
            font.pixelSize: 12
            MouseArea {
                anchors.fill: parent
                onClicked: root.store.collapsed = false
            }
        }

        Text {
            id: pillText
            objectName: "pillText"
            x: pillGlyph.x + pillGlyph.implicitWidth + 6
            anchors.verticalCenter: parent.verticalCenter
            text: root.itemCount === 0 ? "What's on today?" : root.allDone ? "All clear ✓" : root.progressText
            color: root.allDone ? Theme.green : Theme.primary
            font.family: root.itemCount > 0 && !root.allDone ? Theme.monoFamily : Theme.fontFamily
            font.pixelSize: 11
            font.weight: root.itemCount === 0 ? Font.Medium : Font.DemiBold
            MouseArea {
                anchors.fill: parent
                onClicked: root.store.collapsed = false
            }
        }
    }

    Item {
        id: expanded
        objectName: "expanded"
        visible: !root.collapsed
        width: 300
        height: fittedHeight

        readonly property real fixedHeight: header.implicitHeight
            + (emptyRow.visible ? emptyRow.implicitHeight : 0)
            + (allDoneRow.visible ? allDoneRow.implicitHeight : 0)
            + (inputRow.visible ? inputRow.implicitHeight : 0) + 6
        readonly property real naturalHeight: fixedHeight + list.contentHeight
        readonly property bool scrolling: root.heightLimit > 0 && naturalHeight > root.heightLimit
        readonly property real fittedHeight: scrolling ? root.heightLimit : naturalHeight

        Column {
            width: parent.width

            Item {
                id: header
                objectName: "header"
                width: parent.width
                implicitHeight: headerRow.implicitHeight + 12
                height: implicitHeight

                // The title group on the left, the buttons on the right, each centred on the
                // tallest of them; sizes rounded up and places at whole pixels, as a row layout
                // would have them.
                Item {
                    id: headerRow
                    x: 10
                    y: 7
                    width: parent.width - 20
                    implicitHeight: Math.ceil(Math.max(headerGlyph.implicitHeight, headerTitle.implicitHeight,
                                                       headerCount.visible ? headerCount.implicitHeight : 0,
                                                       headerButtons.implicitHeight))
                    height: implicitHeight

                    Text {
                        id: headerGlyph
                        y: Math.round((headerRow.height - Math.ceil(implicitHeight)) / 2)
                        text: "⛴"
                        color: Theme.primary
                        font.family: Theme.fontFamily
                        font.pixelSize: 11
                    }
                    Text {
                        id: headerTitle
                        objectName: "headerTitle"
                        x: Math.ceil(headerGlyph.implicitWidth) + 7
                        y: Math.round((headerRow.height - Math.ceil(implicitHeight)) / 2)
                        text: "Pinstrip"
                        color: Theme.secondary
                        font.family: Theme.fontFamily
                        font.pixelSize: 10
                        font.weight: Font.DemiBold
                    }
                    Text {
                        id: headerCount
                        objectName: "headerCount"
                        x: headerTitle.x + Math.ceil(headerTitle.implicitWidth) + 7
                        y: Math.round((headerRow.height - Math.ceil(implicitHeight)) / 2)
                        visible: root.itemCount > 0
                        text: root.progressText
                        color: Theme.tertiary
                        font.family: Theme.monoFamily
                        font.pixelSize: 9
                        font.weight: Font.Medium
                    }

                    Row {
                        id: headerButtons
                        x: headerRow.width - width
                        spacing: 7

                        IconButton {
                            objectName: "addButton"
                            y: Math.round((headerRow.height - Math.ceil(implicitHeight)) / 2)
                            visible: !root.inputActive
                            symbol: "plus"
                            size: 9
                            weight: Font.Bold
                            color: Theme.secondary
                            tip: "Add (⌃⌥T)"
                            onClicked: root.store.userSetInputActive(true)
                        }
                        IconButton {
                            objectName: "archiveButton"
                            y: Math.round((headerRow.height - Math.ceil(implicitHeight)) / 2)
                            visible: root.itemCount > 0
                            symbol: "archivebox"
                            size: 9
                            weight: Font.DemiBold
                            color: Theme.secondary
                            tip: "Archive all & start fresh"
                            onClicked: root.store.archiveAndClear()
                        }
                        IconButton {
                            objectName: "collapseButton"
                            y: Math.round((headerRow.height - Math.ceil(implicitHeight)) / 2)
                            symbol: "chevron.up"
                            size: 9
                            weight: Font.Bold
                            color: Theme.tertiary
                            tip: "Collapse"
                            onClicked: root.store.collapsed = true
                        }
                    }
                }
            }

            Item {
                id: emptyRow
                objectName: "emptyRow"
                visible: root.itemCount === 0 && !root.inputActive
                width: parent.width
                implicitHeight: emptyContent.implicitHeight + 16
                height: visible ? implicitHeight : 0

                Accessible.role: Accessible.Button
                Accessible.name: emptyText.text

                MouseArea {
                    anchors.fill: parent
                    onClicked: root.store.userSetInputActive(true)
                }

                Item {
                    id: emptyContent
                    x: 12
                    width: parent.width - 24
                    implicitHeight: Math.ceil(Math.max(emptyText.implicitHeight, emptyKeys.implicitHeight))
                    height: implicitHeight
                    anchors.verticalCenter: parent.verticalCenter

                    Text {
                        id: emptyText
                        y: Math.round((emptyContent.height - Math.ceil(implicitHeight)) / 2)
                        text: "What's on today?"
                        color: Theme.primary
                        font.family: Theme.fontFamily
                        font.pixelSize: 12
                        font.weight: Font.Medium
                    }
                    Text {
                        id: emptyKeys
                        x: emptyContent.width - Math.ceil(implicitWidth)
                        y: Math.round((emptyContent.height - Math.ceil(implicitHeight)) / 2)
                        text: "⌃⌥T"
                        color: Theme.tertiary
                        font.family: Theme.monoFamily
                        font.pixelSize: 9
                    }
                }
            }

            ListView {
                id: list
                objectName: "list"
                width: parent.width
                height: expanded.scrolling ? Math.max(0, expanded.fittedHeight - expanded.fixedHeight) : contentHeight
                spacing: 1
                interactive: expanded.scrolling
                clip: expanded.scrolling
                boundsBehavior: Flickable.StopAtBounds
                model: ItemListModel {
                    id: items
                    store: root.store
                }
                // A list lays out once per frame; rows coming or going change the strip's
                // size, which the host reads right after the store changed.
                Connections {
                    target: items
                    function onRowsInserted() {
                        list.forceLayout();
                    }
                    function onRowsRemoved() {
                        list.forceLayout();
                    }
                }
                delegate: TodoRow {
                    width: ListView.view.width
                    listModel: items
                }
                // The scroll bar's controls load when the list first outgrows the strip.
                Loader {
                    id: scrollBar
                    active: false
                    source: "ListScrollBar.qml"
                    onLoaded: {
                        item.scrolling = Qt.binding(() => expanded.scrolling);
                        item.flickable = list;
                    }
                }
                Connections {
                    target: expanded
                    function onScrollingChanged() {
                        if (expanded.scrolling)
                            scrollBar.active = true;
                    }
                }
                Component.onCompleted: {
                    if (expanded.scrolling)
                        scrollBar.active = true;
                }

                // Settles within a quarter second without overshoot.
                add: Transition {
                    NumberAnimation { property: "opacity"; from: 0; to: 1; duration: 250; easing.type: Easing.OutCubic }
                }
                remove: Transition {
                    NumberAnimation { property: "opacity"; to: 0; duration: 250; easing.type: Easing.OutCubic }
                }
                move: Transition {
                    NumberAnimation { property: "y"; duration: 250; easing.type: Easing.OutCubic }
                }
                moveDisplaced: Transition {
                    NumberAnimation { property: "y"; duration: 250; easing.type: Easing.OutCubic }
                }
                addDisplaced: Transition {
                    NumberAnimation { property: "y"; duration: 250; easing.type: Easing.OutCubic }
                }
                removeDisplaced: Transition {
                    NumberAnimation { property: "y"; duration: 250; easing.type: Easing.OutCubic }
                }
            }

            Item {
                id: allDoneRow
                objectName: "allDoneRow"
                visible: root.allDone && !root.inputActive
                width: parent.width
                implicitHeight: allDoneText.implicitHeight + 8
                height: visible ? implicitHeight : 0

                Text {
                    id: allDoneText
                    anchors.centerIn: parent
                    text: "All clear ✓"
                    color: Theme.green
                    font.family: Theme.fontFamily
                    font.pixelSize: 11
                    font.weight: Font.DemiBold
                }
            }

            Item {
                id: inputRow
                objectName: "inputRow"
                visible: root.inputActive
                width: parent.width
                implicitHeight: field.implicitHeight + 12 + 2
                height: visible ? implicitHeight : 0

                // Each time the row is shown, typing goes straight into the field.
                onVisibleChanged: {
                    if (visible)
                        field.forceActiveFocus();
                }
                Component.onCompleted: {
                    if (visible)
                        field.forceActiveFocus();
                }

                Rectangle {
                    x: 10
                    y: 2
                    width: parent.width - 20
                    height: parent.height - 2
                    radius: 6
                    color: Theme.white(0.07)
                }

                TextInput {
                    id: field
                    objectName: "inputField"
                    property string placeholderText: "Add to today's list…"
                    readonly property alias hovered: fieldHover.hovered
                    x: 18
                    y: 8
                    width: parent.width - 36
                    verticalAlignment: TextInput.AlignVCenter
                    selectByMouse: true
                    color: Theme.primary
                    font.family: Theme.fontFamily
                    font.pixelSize: 12

                    HoverHandler {
                        id: fieldHover
                    }

                    Text {
                        objectName: "placeholder"
                        width: parent.width
                        height: parent.height
                        visible: !field.length && !field.preeditText
                        text: field.placeholderText
                        color: Theme.tertiary
                        font: field.font
                        verticalAlignment: field.verticalAlignment
                        elide: Text.ElideRight
                    }

                    onAccepted: {
                        root.store.add(text);
                        clear();
                    }
                    Keys.onEscapePressed: {
                        clear();
                        root.store.userSetInputActive(false);
                    }
                }
            }
        }
    }

    Rectangle {
        anchors.fill: parent
        radius: 10
        color: "transparent"
        border.width: 0.5
        border.color: Theme.white(0.12)
    }
}
