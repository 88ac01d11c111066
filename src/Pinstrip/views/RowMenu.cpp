#include "RowMenu.h"

#include "ItemStatus.h"

#include <QCursor>
#include <QMenu>

RowMenu::RowMenu(QObject* parent) : QObject(parent) {}

// Closing (not deleting) lets a menu whose own action led here finish that action first;
// WA_DeleteOnClose then frees it from the event loop.
RowMenu::~RowMenu() {
    if (m_menu)
        m_menu->close();
}

void RowMenu::popup(int status) {
    if (m_menu)
        m_menu->close();
    auto* menu = new QMenu;
    menu->setAttribute(Qt::WA_DeleteOnClose);
    const std::pair<ItemStatus, QString> choices[] = {
        {ItemStatus::open, tr("Mark Open")},
        {ItemStatus::inProgress, tr("Mark In Progress")},
        {ItemStatus::done, tr("Mark Done")},
    };
    for (const auto& [choice, title] : choices) {
        const int value = static_cast<int>(choice);
        if (value == status)
            continue;
        connect(menu->addAction(title), &QAction::triggered, this,
                [this, value] { emit statusChosen(value); });
    }
    menu->addSeparator();
    connect(menu->addAction(tr("Remove")), &QAction::triggered, this, &RowMenu::removeChosen);
    m_menu = menu;
    menu->popup(QCursor::pos());
}

QMenu* RowMenu::menu() const {
    return m_menu.data();
}
