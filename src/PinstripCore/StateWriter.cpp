#include "StateWriter.h"

#include "ItemStatus.h"

#include <QUuid>
#include <cstring>

namespace {

constexpr char lowerHex[] = "0123456789abcdef";
constexpr char upperHex[] = "0123456789ABCDEF";

// The most a string can take (every unit escaped as \uXXXX), and the most the rest of an entry
// or a day can take at the depths used here.
qsizetype stringBound(const QString& text) {
    return 2 + 6 * text.size();
}
constexpr qsizetype entryBound = 240;
constexpr qsizetype dayBound = 240;

qsizetype itemsBound(const QList<TodoItem>& items) {
    qsizetype bound = 64;
    for (const TodoItem& item : items)
        bound += entryBound + stringBound(item.title);
    return bound;
}

} // namespace

StateWriter::StateWriter(qsizetype capacity) : m_bytes(capacity, Qt::Uninitialized) {
    m_out = m_bytes.data();
}

QByteArray StateWriter::take() {
    m_bytes.truncate(m_out - m_bytes.constData());
    m_bytes.squeeze();
    return std::move(m_bytes);
}

QByteArray StateWriter::day(const ArchivedDay& day) {
    StateWriter writer(dayBound + stringBound(day.date) + itemsBound(day.items));
    writer.appendDay(day);
    return writer.take();
}

QByteArray StateWriter::itemsPart(const QList<TodoItem>& items) {
    StateWriter writer(itemsBound(items));
    writer.append("\n    \"items\": ");
    writer.appendItems(items, 1);
    writer.append("\n}");
    return writer.take();
}

QByteArrayList StateWriter::document(const QByteArrayList& days, const QByteArray& itemsPart) {
    static const QByteArray header = QByteArrayLiteral("{\n    \"archive\": [\n");
    static const QByteArray separator = QByteArrayLiteral(",\n");
    static const QByteArray closing = QByteArrayLiteral("\n    ],");
    static const QByteArray emptyArchive = QByteArrayLiteral("{\n    \"archive\": [\n    ],");
    if (days.isEmpty())
        return {emptyArchive, itemsPart};
    QByteArrayList pieces;
    pieces.reserve(2 * days.size() + 2);
    pieces.append(header);
    for (qsizetype i = 0; i < days.size(); ++i) {
        if (i > 0)
            pieces.append(separator);
        pieces.append(days.at(i));
    }
    pieces.append(closing);
    pieces.append(itemsPart);
    return pieces;
}

void StateWriter::appendDay(const ArchivedDay& day) {
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

void StateWriter::appendItems(const QList<TodoItem>& items, int depth) {
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

void StateWriter::appendItem(const TodoItem& item, int depth) {
    appendIndent(depth);
    append("{\n");
    appendKey("id", depth + 1);
    // Upper-case hexadecimal in 8-4-4-4-12 groups, as idText() gives, without a QString.
    const QUuid& id = item.id;
    *m_out++ = '"';
    appendHex(id.data1, 8);
    *m_out++ = '-';
    appendHex(id.data2, 4);
    *m_out++ = '-';
    appendHex(id.data3, 4);
    *m_out++ = '-';
    for (int i = 0; i < 8; ++i) {
        if (i == 2)
            *m_out++ = '-';
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

void StateWriter::appendKey(const char* key, int depth) {
    appendIndent(depth);
    *m_out++ = '"';
    append(key);
    append("\": ");
}

void StateWriter::appendHex(uint value, int digits) {
    for (int i = digits - 1; i >= 0; --i)
        *m_out++ = upperHex[(value >> (4 * i)) & 0xF];
}

void StateWriter::appendIndent(int depth) {
    std::memset(m_out, ' ', static_cast<size_t>(4 * depth));
    m_out += 4 * depth;
}

void StateWriter::append(const char* text) {
    const size_t length = std::strlen(text);
    std::memcpy(m_out, text, length);
    m_out += length;
}

// Qt's escaping: the two-letter escapes where JSON has them, \u00XX for other control
// characters, UTF-8 for the rest, \uXXXX for a lone surrogate. U+FEFF is escaped as well, since
// Qt's reader drops it as raw bytes at the start of a string.
void StateWriter::appendString(QStringView text) {
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
