#include "KeyNotation.h"

QString KeyNotation::spell(QKeyCombination combination, const Names& names) {
    QString text;
    const Qt::KeyboardModifiers modifiers = combination.keyboardModifiers();
    for (const auto& [modifier, name] :
         {std::pair{Qt::ControlModifier, names.control}, std::pair{Qt::AltModifier, names.alt},
          std::pair{Qt::ShiftModifier, names.shift}, std::pair{Qt::MetaModifier, names.meta}})
        if (modifiers & modifier)
            text += QLatin1String(name);
    const QChar key(static_cast<char16_t>(combination.key()));
    return text + (names.lowerCaseKey ? key.toLower() : key);
}
