#include "StoreScript.h"

#include <memory>

namespace {

constexpr int fullList = 40;

} // namespace

StoreScript::StoreScript(quint32 seed) : m_seed(seed), m_random(seed) {}

int StoreScript::pick(int count) {
    return std::uniform_int_distribution<int>(0, count - 1)(m_random);
}

void StoreScript::step(DaylaStore& store) {
    const QList<DaylaItem>& items = store.state().items;
    const int count = static_cast<int>(items.size());
    const int roll = pick(100);
    if (count == 0 || (roll < 35 && count < fullList)) {
        // Some titles carry text the encoder has to escape or write as multi-byte UTF-8.
        const int n = m_added++;
        QString title = QStringLiteral("entry %1.%2").arg(m_seed).arg(n);
        if (n % 3 == 1)
            title += QStringLiteral(" \"quoted\" a/b \\ \u00e9\u0301 \u05e9\u05dc\u05d5\u05dd");
        if (n % 5 == 2)
            title += QStringLiteral(" \U0001F4CC\ttab");
        store.add(title);
    } else if (roll < 60) {
        store.cycle(items.at(pick(count)).id);
    } else if (roll < 72) {
        const auto status = static_cast<ItemStatus>(pick(3));
        store.setStatus(items.at(pick(count)).id, status);
    } else if (roll < 90) {
        store.remove(items.at(pick(count)).id);
    } else if (roll < 93) {
        // An id nobody has: the store still rewrites the file unchanged.
        store.remove(QUuid::fromString(QStringLiteral("00000000-0000-4000-8000-000000000001")));
    } else {
        store.archiveAndClear();
    }
}

DaylaStore::Clock StoreScript::clock(quint32 seed) {
    auto calls = std::make_shared<qint64>(0);
    const QDateTime start =
        QDateTime(QDate(2026, 1, 1), QTime(8, 0)).addSecs(60 * static_cast<qint64>(seed % 100000));
    return [calls, start] { return start.addSecs(60 * (*calls)++); };
}
