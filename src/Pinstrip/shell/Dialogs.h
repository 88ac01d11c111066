#pragma once

#include "Messages.h"

#include <QMessageBox>
#include <QPointer>
#include <array>
#include <functional>
#include <memory>

// The program's message boxes: never modal, so the strip and the tray keep working while one is
// open, and one of each kind at a time; asking for an open one brings it to the front.
class Dialogs {
public:
    enum class Kind { about, update, systemWideKeys, shortcut, count };

    Dialogs() = default;
    Dialogs(const Dialogs&) = delete;
    Dialogs& operator=(const Dialogs&) = delete;
    ~Dialogs();

    // A plain information box with the message.
    [[nodiscard]] static std::unique_ptr<QMessageBox> messageBox(const Messages::Message& message);
    // Shows what `make` builds, unless a box of this kind is open: then that one comes forward.
    QMessageBox& show(Kind kind, const std::function<std::unique_ptr<QMessageBox>()>& make);
    // Brings the open box of this kind to the front; false when none is open.
    bool raise(Kind kind) const;
    // The open box of this kind, if any.
    [[nodiscard]] QMessageBox* open(Kind kind) const;

private:
    std::array<QPointer<QMessageBox>, static_cast<std::size_t>(Kind::count)> m_boxes;
};
