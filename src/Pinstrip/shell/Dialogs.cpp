#include "Dialogs.h"

std::unique_ptr<QMessageBox> Dialogs::messageBox(const Messages::Message& message) {
    auto box = std::make_unique<QMessageBox>(QMessageBox::Information, Messages::title,
                                             message.text, QMessageBox::Ok);
    box->setInformativeText(message.details);
    return box;
}

Dialogs::~Dialogs() {
    for (const QPointer<QMessageBox>& box : m_boxes)
        delete box;
}

QMessageBox& Dialogs::show(Kind kind, const std::function<std::unique_ptr<QMessageBox>()>& make) {
    QPointer<QMessageBox>& box = m_boxes.at(static_cast<std::size_t>(kind));
    if (!open(kind)) {
        delete box;
        box = make().release();
        // A message box is modal unless told otherwise.
        box->setModal(false);
        box->setAttribute(Qt::WA_DeleteOnClose);
        box->show();
    }
    raise(kind);
    return *box;
}

bool Dialogs::raise(Kind kind) const {
    QMessageBox* box = open(kind);
    if (!box)
        return false;
    box->raise();
    box->activateWindow();
    return true;
}

QMessageBox* Dialogs::open(Kind kind) const {
    QMessageBox* box = m_boxes.at(static_cast<std::size_t>(kind));
    return box && box->isVisible() ? box : nullptr;
}
