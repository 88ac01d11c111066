#include "StateCodec.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>
#include <QJsonValue>
#include <QUuid>

#include <algorithm>
#include <array>
#include <cstring>

namespace {

const QByteArray byteOrderMark = QByteArrayLiteral("\xEF\xBB\xBF");
const QByteArray escapedByteOrderMark = QByteArrayLiteral("\\ufeff");
constexpr char lowerHex[] = "0123456789abcdef";
constexpr char upperHex[] = "0123456789ABCDEF";

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

// Value of each ASCII hexadecimal digit, -1 for every other character.
constexpr std::array<signed char, 128> hexDigits = [] {
    std::array<signed char, 128> table{};
    table.fill(-1);
    for (int i = 0; i < 10; ++i)
        table['0' + i] = static_cast<signed char>(i);
    for (int i = 0; i < 6; ++i) {
        table['a' + i] = static_cast<signed char>(10 + i);
        table['A' + i] = static_cast<signed char>(10 + i);
    }
    return table;
}();

// Exactly 8-4-4-4-12 hexadecimal digits, either case, no braces.
std::optional<QUuid> parseUuid(QStringView text) {
    if (text.size() != 36 || text[8] != u'-' || text[13] != u'-' || text[18] != u'-' ||
        text[23] != u'-')
        return std::nullopt;
    std::array<char, 16> bytes{};
    std::size_t nibble = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (i == 8 || i == 13 || i == 18 || i == 23)
            continue;
        const char16_t c = text[i].unicode();
        const int value = c < hexDigits.size() ? hexDigits[c] : -1;
        if (value < 0)
            return std::nullopt;
        bytes[nibble / 2] = static_cast<char>(bytes[nibble / 2] << 4 | value);
        ++nibble;
    }
    return QUuid::fromRfc4122(QByteArrayView(bytes.data(), bytes.size()));
}

// A missing id gets a fresh one; a present one must be well formed.
std::optional<QUuid> decodeId(const QJsonValue& value) {
    if (value.isUndefined() || value.isNull())
        return QUuid::createUuid();
    if (!value.isString())
        return std::nullopt;
    return parseUuid(value.toString());
}

std::optional<ItemStatus> decodeStatus(const QJsonObject& object) {
    const QJsonValue status = object.value(QLatin1String("status"));
    if (!status.isUndefined() && !status.isNull()) {
        if (!status.isString())
            return std::nullopt;
        return itemStatusFromText(status.toString());
    }
    // Files from older versions carry only a "done" flag.
    const QJsonValue done = object.value(QLatin1String("done"));
    if (done.isUndefined() || done.isNull())
        return ItemStatus::open;
    if (!done.isBool())
        return std::nullopt;
    return done.toBool() ? ItemStatus::done : ItemStatus::open;
}

// Anything but an object has no title (or date, below) and is rejected by that.
std::optional<TodoItem> decodeItem(const QJsonValue& value) {
    const QJsonObject object = value.toObject();
    const QJsonValue title = object.value(QLatin1String("title"));
    const std::optional<QUuid> id = decodeId(object.value(QLatin1String("id")));
    const std::optional<ItemStatus> status = decodeStatus(object);
    if (!title.isString() || !id || !status)
        return std::nullopt;
    return TodoItem{*id, title.toString(), *status};
}

std::optional<QList<TodoItem>> decodeItems(const QJsonValue& value) {
    if (!value.isArray())
        return std::nullopt;
    const QJsonArray array = value.toArray();
    QList<TodoItem> items;
    items.reserve(array.size());
    for (const QJsonValue& element : array) {
        std::optional<TodoItem> item = decodeItem(element);
        if (!item)
            return std::nullopt;
        items.append(std::move(*item));
    }
    return items;
}

std::optional<ArchivedDay> decodeDay(const QJsonValue& value) {
    const QJsonObject object = value.toObject();
    const QJsonValue date = object.value(QLatin1String("date"));
    std::optional<QList<TodoItem>> items = decodeItems(object.value(QLatin1String("items")));
    if (!date.isString() || !items)
        return std::nullopt;
    return ArchivedDay{date.toString(), std::move(*items)};
}

std::optional<TodoState> decodeRoot(const QJsonObject& root) {
    const QJsonValue archive = root.value(QLatin1String("archive"));
    std::optional<QList<TodoItem>> items = decodeItems(root.value(QLatin1String("items")));
    if (!items || !archive.isArray())
        return std::nullopt;
    TodoState state{std::move(*items), {}};
    const QJsonArray days = archive.toArray();
    state.archive.reserve(days.size());
    for (const QJsonValue& element : days) {
        std::optional<ArchivedDay> day = decodeDay(element);
        if (!day)
            return std::nullopt;
        state.archive.append(std::move(*day));
    }
    return state;
}

// A first guess at an entry's text at the depths used here; appends make room if it is short.
qsizetype expectedSize(const QList<TodoItem>& items) {
    qsizetype size = 64;
    for (const TodoItem& item : items)
        size += 192 + 3 * item.title.size();
    return size;
}

} // namespace

std::optional<TodoState> StateCodec::decode(const QByteArray& bytes) {
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
    return decodeRoot(document.object());
}

QByteArray StateCodec::encode(const TodoState& state) {
    return StateCodec().encodePieces(state).join();
}

QByteArrayList StateCodec::encodePieces(const TodoState& state) {
    static const QByteArray header = QByteArrayLiteral("{\n    \"archive\": [\n");
    static const QByteArray separator = QByteArrayLiteral(",\n");
    static const QByteArray closing = QByteArrayLiteral("\n    ],");
    static const QByteArray emptyArchive = QByteArrayLiteral("{\n    \"archive\": [\n    ],");
    m_encodedDays = encodedDays(state.archive);
    m_encodedArchive = state.archive;
    const QByteArray itemsPart = encodeItemsPart(state.items);
    if (m_encodedDays.isEmpty())
        return {emptyArchive, itemsPart};
    QByteArrayList pieces;
    pieces.reserve(2 * m_encodedDays.size() + 2);
    pieces.append(header);
    for (qsizetype i = 0; i < m_encodedDays.size(); ++i) {
        if (i > 0)
            pieces.append(separator);
        pieces.append(m_encodedDays.at(i));
    }
    pieces.append(closing);
    pieces.append(itemsPart);
    return pieces;
}

QByteArrayList StateCodec::encodedDays(const QList<ArchivedDay>& archive) {
    if (archive.isSharedWith(m_encodedArchive))
        return m_encodedDays;
    // Archiving puts a day in front of the days encoded last time and may drop the oldest.
    // Days compare cheaply here: their lists of entries still share their data.
    const QList<ArchivedDay> older = archive.mid(1);
    if (!archive.isEmpty() && older.size() <= m_encodedArchive.size() &&
        older == m_encodedArchive.first(older.size()))
        return QByteArrayList{encodeDay(archive.first())} + m_encodedDays.first(older.size());
    QByteArrayList days;
    days.reserve(archive.size());
    for (const ArchivedDay& day : archive)
        days.append(encodeDay(day));
    return days;
}

QByteArray StateCodec::encodeDay(const ArchivedDay& day) {
    begin(expectedSize(day.items) + 128 + 3 * day.date.size());
    appendDay(day);
    return take();
}

QByteArray StateCodec::encodeItemsPart(const QList<TodoItem>& items) {
    begin(expectedSize(items));
    append("\n    \"items\": ");
    appendItems(items, 1);
    append("\n}");
    return take();
}

void StateCodec::begin(qsizetype expected) {
    m_text = QByteArray(expected, Qt::Uninitialized);
    m_out = m_text.data();
    m_end = m_out + m_text.size();
}

QByteArray StateCodec::take() {
    m_text.truncate(m_out - m_text.constData());
    m_text.squeeze();
    m_out = m_end = nullptr;
    return std::move(m_text);
}

void StateCodec::makeRoom(qsizetype count) {
    if (m_end - m_out >= count)
        return;
    const qsizetype used = m_out - m_text.constData();
    m_text.resize(std::max(2 * m_text.size(), used + count));
    m_out = m_text.data() + used;
    m_end = m_text.data() + m_text.size();
}

void StateCodec::appendDay(const ArchivedDay& day) {
    appendIndent(2);
    append("{\n");
    appendKey("date", 3);
    appendString(day.date);
    append(",\n");
    appendKey("items", 3);
    appendItems(day.items, 3);
    append("\n");
    appendIndent(2);
    append("}");
}

void StateCodec::appendItems(const QList<TodoItem>& items, int depth) {
    append("[\n");
    for (qsizetype i = 0; i < items.size(); ++i) {
        if (i > 0)
            append(",\n");
        appendItem(items.at(i), depth + 1);
    }
    if (!items.isEmpty())
        append("\n");
    appendIndent(depth);
    append("]");
}

void StateCodec::appendItem(const TodoItem& item, int depth) {
    appendIndent(depth);
    append("{\n");
    appendKey("id", depth + 1);
    // Upper-case hexadecimal in 8-4-4-4-12 groups, as idText() gives, without a QString.
    const QUuid& id = item.id;
    append("\"");
    appendHex(id.data1, 8);
    append("-");
    appendHex(id.data2, 4);
    append("-");
    appendHex(id.data3, 4);
    append("-");
    for (int i = 0; i < 8; ++i) {
        if (i == 2)
            append("-");
        appendHex(id.data4[i], 2);
    }
    append("\",\n");
    appendKey("status", depth + 1);
    appendString(itemStatusText(item.status));
    append(",\n");
    appendKey("title", depth + 1);
    appendString(item.title);
    append("\n");
    appendIndent(depth);
    append("}");
}

void StateCodec::appendKey(QByteArrayView key, int depth) {
    appendIndent(depth);
    append("\"");
    append(key);
    append("\": ");
}

void StateCodec::appendHex(uint value, int digits) {
    makeRoom(digits);
    for (int i = digits - 1; i >= 0; --i)
        *m_out++ = upperHex[(value >> (4 * i)) & 0xF];
}

void StateCodec::appendIndent(int depth) {
    makeRoom(4 * depth);
    std::memset(m_out, ' ', static_cast<size_t>(4 * depth));
    m_out += 4 * depth;
}

void StateCodec::append(QByteArrayView text) {
    makeRoom(text.size());
    std::memcpy(m_out, text.data(), static_cast<size_t>(text.size()));
    m_out += text.size();
}

// Qt's escaping: the two-letter escapes where JSON has them, \u00XX for other control
// characters, UTF-8 for the rest, \uXXXX for a lone surrogate. U+FEFF is escaped as well, since
// Qt's reader drops it as raw bytes at the start of a string.
void StateCodec::appendString(QStringView text) {
    makeRoom(2 + 6 * text.size()); // every unit escaped as \uXXXX, and the quotes
    char* out = m_out;
    *out++ = '"';
    const auto escapeUnit = [&out](char16_t unit) {
        *out++ = '\\';
        *out++ = 'u';
        *out++ = lowerHex[unit >> 12];
        *out++ = lowerHex[(unit >> 8) & 0xF];
        *out++ = lowerHex[(unit >> 4) & 0xF];
        *out++ = lowerHex[unit & 0xF];
    };
    const char16_t* unit = text.utf16();
    const char16_t* const end = unit + text.size();
    while (unit != end) {
        const char16_t u = *unit++;
        if (u < 0x80) {
            char letter = 0;
            switch (u) {
            case '"':
            case '\\':
                letter = static_cast<char>(u);
                break;
            case '\b':
                letter = 'b';
                break;
            case '\f':
                letter = 'f';
                break;
            case '\n':
                letter = 'n';
                break;
            case '\r':
                letter = 'r';
                break;
            case '\t':
                letter = 't';
                break;
            default:
                break;
            }
            if (letter) {
                *out++ = '\\';
                *out++ = letter;
            } else if (u < 0x20) {
                escapeUnit(u);
            } else {
                *out++ = static_cast<char>(u);
            }
        } else if (u < 0x800) {
            *out++ = static_cast<char>(0xC0 | (u >> 6));
            *out++ = static_cast<char>(0x80 | (u & 0x3F));
        } else if (QChar::isHighSurrogate(u) && unit != end && QChar::isLowSurrogate(*unit)) {
            const char32_t code = QChar::surrogateToUcs4(u, *unit++);
            *out++ = static_cast<char>(0xF0 | (code >> 18));
            *out++ = static_cast<char>(0x80 | ((code >> 12) & 0x3F));
            *out++ = static_cast<char>(0x80 | ((code >> 6) & 0x3F));
            *out++ = static_cast<char>(0x80 | (code & 0x3F));
        } else if (QChar::isSurrogate(u) || u == 0xFEFF) {
            escapeUnit(u);
        } else {
            *out++ = static_cast<char>(0xE0 | (u >> 12));
            *out++ = static_cast<char>(0x80 | ((u >> 6) & 0x3F));
            *out++ = static_cast<char>(0x80 | (u & 0x3F));
        }
    }
    *out++ = '"';
    m_out = out;
}
