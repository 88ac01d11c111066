import QtQuick
import Pinstrip

// The field for new entries. Return hands the text on and empties the field, which stays open
// and focused for the next entry; Escape drops the text and closes the row.
Item {
    id: inputRow
    objectName: "inputRow"

    property TodoStore store
    // The text being typed; it outlives the row being hidden.
    property alias draft: field.text
    readonly property alias fieldHovered: fieldHover.hovered

    signal submitted(string text)

    implicitHeight: 2 + 6 + field.implicitHeight + 6
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
        objectName: "fieldBackground"
        x: 10
        y: 2
        width: parent.width - 2 * x
        height: parent.height - y
        radius: 6
        color: Theme.fieldFill
        border.width: 1
        border.color: Theme.fieldEdge
    }

    TextInput {
        id: field
        objectName: "inputField"
        x: 10 + 8
        y: 2 + 6
        width: parent.width - 2 * x
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
            text: Texts.placeholder
            color: Theme.secondary
            font: field.font
            verticalAlignment: field.verticalAlignment
            elide: Text.ElideRight
        }

        // Setting the text, unlike clear(), also drops the undo history, which would otherwise
        // keep every title ever typed for as long as the program runs.
        onAccepted: {
            inputRow.submitted(text);
            text = "";
        }
        Keys.onEscapePressed: {
            text = "";
            inputRow.store.userSetInputActive(false);
        }
    }
}
