#pragma once

#include "TodoState.h"

#include <QByteArray>
#include <QByteArrayList>
#include <QList>
#include <QStringView>
#include <optional>

// The state file's format, both ways. Reading is strict: any fault anywhere rejects the whole
// file. Writing gives byte for byte Qt's indented JSON form of the document (UTF-8, keys sorted,
// four spaces per level, no final newline), written straight from the records: building a
// QJsonObject per entry first costs several times more at ten thousand entries.
class StateCodec {
public:
    [[nodiscard]] static std::optional<TodoState> decode(const QByteArray& bytes);
    [[nodiscard]] static QByteArray encode(const TodoState& state);

    // The same text as encode(), in pieces to be written in order. The archive, nearly all of a
    // large file, changes only when a day is archived: the text of days already encoded by this
    // codec is reused.
    [[nodiscard]] QByteArrayList encodePieces(const TodoState& state);

private:
    [[nodiscard]] QByteArrayList encodedDays(const QList<ArchivedDay>& archive);
    [[nodiscard]] QByteArray encodeDay(const ArchivedDay& day);
    // From the line break before the top-level "items" key to the closing brace.
    [[nodiscard]] QByteArray encodeItemsPart(const QList<TodoItem>& items);

    // Text is written through a plain pointer; every append makes room for itself first, so
    // the first size is only a guess and a wrong one costs a reallocation, never an overrun.
    void begin(qsizetype expected);
    [[nodiscard]] QByteArray take();
    void makeRoom(qsizetype count);
    void appendDay(const ArchivedDay& day);
    void appendItems(const QList<TodoItem>& items, int depth);
    void appendItem(const TodoItem& item, int depth);
    void appendKey(QByteArrayView key, int depth);
    void appendString(QStringView text);
    void appendHex(uint value, int digits);
    void appendIndent(int depth);
    void append(QByteArrayView text);

    QByteArray m_text;
    char* m_out = nullptr;
    char* m_end = nullptr;

    QList<ArchivedDay> m_encodedArchive;
    QByteArrayList m_encodedDays;
};
