#pragma once

#include <QObject>
#include <QPointer>
#include <QtQml/qqmlregistration.h>

class QMenu;

// The context menu of one row of today's list, as a desktop menu of its own so that it is not
// cut to the strip's small window. Built afresh at every opening from the entry's status.
class RowMenu : public QObject {
    Q_OBJECT
    QML_ELEMENT

public:
    explicit RowMenu(QObject* parent = nullptr);
    ~RowMenu() override;

    // Opens at the pointer: "Mark …" for the two statuses the entry does not have (in the
    // order open, in progress, done), a separator and "Remove".
    // `status` is a value of ItemListModel::Status.
    Q_INVOKABLE void popup(int status);

    // The menu now showing, if any.
    [[nodiscard]] QMenu* menu() const;

signals:
    void statusChosen(int status);
    void removeChosen();

private:
    QPointer<QMenu> m_menu;
};
