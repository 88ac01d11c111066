#include "GtkAccelerator.h"

#include <QKeySequence>

namespace {

std::optional<Qt::KeyboardModifier> modifierNamed(QStringView name) {
    struct Name {
        const char* text;
        Qt::KeyboardModifier modifier;
    };
    static constexpr Name names[] = {
        {"primary", Qt::ControlModifier}, {"control", Qt::ControlModifier},
        {"ctrl", Qt::ControlModifier},    {"ctl", Qt::ControlModifier},
        {"shift", Qt::ShiftModifier},     {"shft", Qt::ShiftModifier},
        {"alt", Qt::AltModifier},         {"mod1", Qt::AltModifier},
        {"super", Qt::MetaModifier},      {"meta", Qt::MetaModifier},
        {"hyper", Qt::MetaModifier},      {"mod4", Qt::MetaModifier},
    };
    for (const Name& n : names)
        if (name.compare(QLatin1String(n.text), Qt::CaseInsensitive) == 0)
            return n.modifier;
    return std::nullopt;
}

} // namespace

std::optional<QKeyCombination> GtkAccelerator::parse(QStringView text) {
    Qt::KeyboardModifiers modifiers;
    text = text.trimmed();
    while (text.startsWith(u'<')) {
        const qsizetype end = text.indexOf(u'>');
        if (end < 0)
            return std::nullopt;
        const auto modifier = modifierNamed(text.sliced(1, end - 1));
        if (!modifier)
            return std::nullopt;
        modifiers |= *modifier;
        text = text.sliced(end + 1);
    }
    if (text.isEmpty())
        return std::nullopt;
    if (text.size() == 1) // letters are stored in either case: "t" and "T" are one key
        return QKeyCombination(modifiers, static_cast<Qt::Key>(text.front().toUpper().unicode()));
    const QKeySequence named =
        QKeySequence::fromString(text.toString(), QKeySequence::PortableText);
    if (named.count() != 1 || named[0].keyboardModifiers() != Qt::NoModifier)
        return std::nullopt;
    return QKeyCombination(modifiers, named[0].key());
}
