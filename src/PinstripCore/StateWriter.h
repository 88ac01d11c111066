#pragma once

#include "ArchivedDay.h"
#include "TodoItem.h"

#include <QByteArray>
#include <QByteArrayList>
#include <QList>

// Writes the state file's text straight from the records: byte for byte Qt's indented JSON
// form of the document (keys sorted, four spaces per level, no final newline), without building
// a QJsonObject per entry first, which costs several times more at ten thousand entries.
//
// The text is made of pieces, one per archived day among them, so that a writer can keep the
// text of days already written and hand the pieces to the file without joining them.
class StateWriter {
public:
    // One archived day as it stands in the archive, without the separator.
    [[nodiscard]] static QByteArray day(const ArchivedDay& day);
    // From the line break before the top-level "items" key to the closing brace.
    [[nodiscard]] static QByteArray itemsPart(const QList<TodoItem>& items);
    // The whole text in order: `days` (made by day()) inside the archive, then `itemsPart`.
    [[nodiscard]] static QByteArrayList document(const QByteArrayList& days,
                                                 const QByteArray& itemsPart);

private:
    // The buffer is sized once for the worst case, then written through a plain pointer.
    explicit StateWriter(qsizetype capacity);
    [[nodiscard]] QByteArray take();

    void appendDay(const ArchivedDay& day);
    void appendItems(const QList<TodoItem>& items, int depth);
    void appendItem(const TodoItem& item, int depth);
    void appendKey(const char* key, int depth);
    void appendString(QStringView text);
    void appendHex(uint value, int digits);
    void appendIndent(int depth);
    void append(const char* text);

    QByteArray m_bytes;
    char* m_out = nullptr;
};
