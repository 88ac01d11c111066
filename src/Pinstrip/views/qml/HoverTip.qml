import QtQuick
import QtQuick.Controls

// The hover tooltip of an icon button, shown after the usual delay while the pointer is over it.
Item {
    property string text
    property bool shown

    ToolTip.text: text
    ToolTip.visible: shown && text !== ""
    ToolTip.delay: 700
}
