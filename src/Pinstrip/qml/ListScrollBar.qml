import QtQuick
import QtQuick.Controls

// The strip list's vertical scroll bar, shown only while the list is taller than the strip.
ScrollBar {
    id: bar

    property Flickable flickable
    property bool scrolling

    policy: scrolling ? ScrollBar.AsNeeded : ScrollBar.AlwaysOff
    onFlickableChanged: {
        if (flickable)
            flickable.ScrollBar.vertical = bar;
    }
}
