#pragma once

#include "TodoStore.h"

#include <QtQml/qqmlregistration.h>

// Names the store as a type the views can declare, while the core stays free of QML.
struct TodoStoreForeign {
    Q_GADGET
    QML_FOREIGN(TodoStore)
    QML_NAMED_ELEMENT(TodoStore)
    QML_UNCREATABLE("The application makes the one store.")
};
