#pragma once
// Routes memoryApi through a counter that fails the Nth allocation (1-based),
// for fail-every-N loops over the frame paths. Releases pass through.

class ScopedAllocationFault {
public:
    explicit ScopedAllocationFault(int failAt);  // 0: never fail, only count
    ~ScopedAllocationFault();
    ScopedAllocationFault(const ScopedAllocationFault&) = delete;
    ScopedAllocationFault& operator=(const ScopedAllocationFault&) = delete;

    int calls() const;   // allocations asked for so far
    bool failed() const; // whether the Nth one was reached and refused
};
