pragma Singleton
import QtQml

// Every text the strip shows, in one place for translation.
QtObject {
    readonly property string appName: qsTr("Pinstrip")
    readonly property string nothingYet: qsTr("What's on today?")
    readonly property string allClear: qsTr("All clear ✓")
    readonly property string placeholder: qsTr("Add to today's list…")
    readonly property string summonKeys: qsTr("Ctrl+Alt+T")
    readonly property string addTip: qsTr("Add (Ctrl+Alt+T)")
    readonly property string archiveTip: qsTr("Archive all & start fresh")
    readonly property string collapseTip: qsTr("Collapse")
    readonly property string removeTip: qsTr("Remove")
    readonly property string now: qsTr("now")
    // By status, in the order of ItemListModel.Status: what a click does next, and its name.
    readonly property var clickTips: [qsTr("Click: mark in progress"), qsTr("Click: mark done"), qsTr("Click: reopen")]
    readonly property var statusNames: [qsTr("open"), qsTr("in progress"), qsTr("done")]

    function progress(done, total) {
        return qsTr("%1/%2").arg(done).arg(total);
    }
}
