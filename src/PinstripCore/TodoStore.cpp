#include "TodoStore.h"

#include <QLocale>

#include <algorithm>

namespace {

// Unicode category Z plus the tab, U+000A..U+000D and U+0085. Every category Z character lies
// in the Basic Multilingual Plane, so testing UTF-16 units never splits a surrogate pair.
bool isTrimmed(QChar c) {
    switch (c.category()) {
    case QChar::Separator_Space:
    case QChar::Separator_Line:
    case QChar::Separator_Paragraph:
        return true;
    default:
        break;
    }
    const char16_t u = c.unicode();
    return u == 0x09 || (u >= 0x0A && u <= 0x0D) || u == 0x85;
}

} // namespace

TodoStore::TodoStore(QObject* parent)
    : TodoStore(
          StateFile::defaultFolder(), [] { return QDateTime::currentDateTime(); }, parent) {}

TodoStore::TodoStore(const QString& folder, Clock clock, QObject* parent)
    : QObject(parent), m_file(folder, clock), m_clock(std::move(clock)), m_state(m_file.read()) {}

void TodoStore::setInputActive(bool active) {
    emit objectWillChange();
    const bool changed = m_inputActive != active;
    m_inputActive = active;
    if (changed)
        emit inputActiveChanged();
}

void TodoStore::setCollapsed(bool collapsed) {
    emit objectWillChange();
    const bool changed = m_collapsed != collapsed;
    m_collapsed = collapsed;
    if (changed)
        emit collapsedChanged();
}

void TodoStore::userSetInputActive(bool active) {
    setInputActive(active);
    if (onInputActiveChanged)
        onInputActiveChanged(active);
}

int TodoStore::doneCount() const {
    return static_cast<int>(
        std::count_if(m_state.items.cbegin(), m_state.items.cend(),
                      [](const TodoItem& item) { return item.status == ItemStatus::done; }));
}

bool TodoStore::allDone() const {
    return !m_state.items.isEmpty() && doneCount() == itemCount();
}

void TodoStore::add(const QString& title) {
    const QString trimmed = trimmedTitle(title);
    if (trimmed.isEmpty())
        return;
    emit objectWillChange();
    m_state.items.append(TodoItem{QUuid::createUuid(), trimmed, ItemStatus::open});
    emit stateChanged();
    resort();
    save();
}

qsizetype TodoStore::indexOf(const QUuid& id) const {
    const auto it = std::find_if(m_state.items.cbegin(), m_state.items.cend(),
                                 [&id](const TodoItem& item) { return item.id == id; });
    return it == m_state.items.cend() ? -1 : it - m_state.items.cbegin();
}

void TodoStore::cycle(const QUuid& id) {
    const qsizetype index = indexOf(id);
    if (index < 0)
        return;
    setStatus(id, nextItemStatus(m_state.items.at(index).status));
}

void TodoStore::setStatus(const QUuid& id, ItemStatus status) {
    const qsizetype index = indexOf(id);
    if (index < 0)
        return;
    emit objectWillChange();
    // Indexed after the notification: an observer may have taken a shared copy of the list,
    // and an iterator taken before would write into that copy too.
    m_state.items[index].status = status;
    emit stateChanged();
    resort();
    save();
}

void TodoStore::remove(const QUuid& id) {
    emit objectWillChange();
    m_state.items.removeIf([&id](const TodoItem& item) { return item.id == id; });
    emit stateChanged();
    save();
}

void TodoStore::archiveAndClear() {
    if (m_state.items.isEmpty())
        return;
    // Local wall-clock time of this moment, ASCII digits whatever the user's locale.
    const QString stamp =
        QLocale::c().toString(m_clock().toLocalTime(), QStringLiteral("yyyy-MM-dd HH:mm"));

    emit objectWillChange();
    m_state.archive.prepend(ArchivedDay{stamp, m_state.items});
    emit stateChanged();

    emit objectWillChange();
    if (m_state.archive.size() > archiveLimit)
        m_state.archive.resize(archiveLimit);
    emit stateChanged();

    emit objectWillChange();
    m_state.items.clear();
    emit stateChanged();

    save();
}

QString TodoStore::trimmedTitle(const QString& title) {
    qsizetype begin = 0;
    qsizetype end = title.size();
    while (begin < end && isTrimmed(title.at(begin)))
        ++begin;
    while (end > begin && isTrimmed(title.at(end - 1)))
        --end;
    return title.mid(begin, end - begin);
}

void TodoStore::resort() {
    emit objectWillChange();
    std::stable_sort(m_state.items.begin(), m_state.items.end(),
                     [](const TodoItem& a, const TodoItem& b) {
                         return itemStatusRank(a.status) < itemStatusRank(b.status);
                     });
    emit stateChanged();
}

void TodoStore::save() {
    m_file.write(m_state);
}
