#include "AboutBox.h"

AboutBox::AboutBox(QWidget* parent) : QMessageBox(parent) {
    setIcon(QMessageBox::Information);
    setWindowTitle(QStringLiteral("About Pinstrip"));
    setText(QStringLiteral("Pinstrip"));
    setInformativeText(QStringLiteral(
        "Today's list, pinned above everything.\n\n"
        "A tiny always-on-top strip in the top-right of your screen. Add what you're doing today, "
        "click to cycle in progress \u2192 done (done sinks to the bottom), and archive the lot to "
        "start a fresh day. Double-tap Alt (or press Ctrl+Alt+T) to summon it from anywhere. "
        "All local, free.\n\n"
        "Released under the MIT licence by the Pinstrip developers."));
    setStandardButtons(QMessageBox::Ok);
}
