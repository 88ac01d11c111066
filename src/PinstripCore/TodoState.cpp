#include "TodoState.h"

#include "StateWriter.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonParseError>

namespace {

const QByteArray byteOrderMark = QByteArrayLiteral("\xEF\xBB\xBF");
const QByteArray escapedByteOrderMark = QByteArrayLiteral("\\ufeff");

bool isEscapeLetter(char c) {
    switch (c) {
    case '"':
    case '\\':
    case '/':
    case 'b':
    case 'f':
    case 'n':
    case 'r':
    case 't':
    case 'u':
        return true;
    default:
        return false;
    }
}

bool isDigitAt(const QByteArray& bytes, qsizetype i) {
    return i >= 0 && i < bytes.size() && bytes.at(i) >= '0' && bytes.at(i) <= '9';
}

// Qt's parser tolerates raw control characters inside strings, unknown escapes such as "\q"
// or "\x41", and numbers such as ".5" or "1."; JSON allows none of them, and a file that is not
// valid JSON is rejected whole. Only these faults are looked for; the parser finds the rest.
bool breaksJsonGrammar(const QByteArray& bytes) {
    bool inString = false;
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const auto c = static_cast<unsigned char>(bytes.at(i));
        if (!inString) {
            if (c == '.' && !(isDigitAt(bytes, i - 1) && isDigitAt(bytes, i + 1)))
                return true;
            inString = c == '"';
        } else if (c == '\\') {
            ++i;
            if (i == bytes.size() || !isEscapeLetter(bytes.at(i)))
                return true;
        } else if (c == '"') {
            inString = false;
        } else if (c < 0x20) {
            return true;
        }
    }
    return false;
}

} // namespace

std::optional<TodoState> TodoState::fromJson(const QJsonValue& value) {
    if (!value.isObject())
        return std::nullopt;
    const QJsonObject object = value.toObject();
    const QJsonValue items = object.value(QLatin1String("items"));
    const QJsonValue archive = object.value(QLatin1String("archive"));
    if (!items.isArray() || !archive.isArray())
        return std::nullopt;

    TodoState state;
    const QJsonArray itemArray = items.toArray();
    state.items.reserve(itemArray.size());
    for (const QJsonValue& element : itemArray) {
        std::optional<TodoItem> item = TodoItem::fromJson(element);
        if (!item)
            return std::nullopt;
        state.items.append(std::move(*item));
    }
    const QJsonArray archiveArray = archive.toArray();
    state.archive.reserve(archiveArray.size());
    for (const QJsonValue& element : archiveArray) {
        std::optional<ArchivedDay> day = ArchivedDay::fromJson(element);
        if (!day)
            return std::nullopt;
        state.archive.append(std::move(*day));
    }
    return state;
}

std::optional<TodoState> TodoState::decode(const QByteArray& bytes) {
    if (breaksJsonGrammar(bytes))
        return std::nullopt;
    // Qt's parser drops U+FEFF written as raw bytes at the start of a string; as an escape it
    // survives. A byte order mark opening the file is still skipped, and one between tokens
    // becomes an escape outside a string, which the parser rejects as it should.
    const qsizetype from = bytes.startsWith(byteOrderMark) ? byteOrderMark.size() : 0;
    QByteArray text = bytes;
    if (bytes.indexOf(byteOrderMark, from) >= 0)
        text = bytes.left(from) + bytes.mid(from).replace(byteOrderMark, escapedByteOrderMark);

    // Qt rejects invalid UTF-8, trailing garbage and runaway nesting itself.
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(text, &error);
    if (error.error != QJsonParseError::NoError || !document.isObject())
        return std::nullopt;
    return fromJson(document.object());
}

QByteArray TodoState::encode() const {
    QByteArrayList days;
    days.reserve(archive.size());
    for (const ArchivedDay& day : archive)
        days.append(StateWriter::day(day));
    return StateWriter::document(days, StateWriter::itemsPart(items)).join();
}
