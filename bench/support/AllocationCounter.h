#pragma once

// Counts the program's heap allocations: linking this in replaces the global operator new.
class AllocationCounter {
public:
    // Allocations made so far by the whole program.
    [[nodiscard]] static long long count();
};
