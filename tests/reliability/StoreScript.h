#pragma once

#include "DaylaStore.h"

#include <QtGlobal>
#include <random>

// A reproducible stream of store operations (adds, cycles, status changes, removes, archives).
// Entries are picked by their position in the list, never by id, so two stores holding the
// same list with different ids go through the same changes when driven with the same seed.
class StoreScript {
public:
    explicit StoreScript(quint32 seed);

    // Performs the next operation on the store.
    void step(DaylaStore& store);

    // Archive stamps for this seed: a fixed start, one minute later at every call.
    [[nodiscard]] static DaylaStore::Clock clock(quint32 seed);

private:
    [[nodiscard]] int pick(int count);

    quint32 m_seed;
    std::mt19937 m_random;
    int m_added = 0;
};
