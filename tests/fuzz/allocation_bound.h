// A bound on the memory a call may take, checked on every input: while an AllocationBound lives,
// every block allocated on its thread (malloc or operator new) adds its size to a sum, and the run
// stops with a report when the sum passes the limit. The sum of all allocations, freed or not, is
// never below the peak, so a limit proportional to the input's size proves a reader linear in it.
// Needs AddressSanitizer (its allocator calls the hooks).
#pragma once

#include <cstddef>

namespace zarvo::fuzz {

class AllocationBound {
  public:
    explicit AllocationBound(size_t limit);
    ~AllocationBound();
    AllocationBound(const AllocationBound&) = delete;
    AllocationBound& operator=(const AllocationBound&) = delete;

    // Bytes allocated so far under this bound.
    size_t Total() const;
};

} // namespace zarvo::fuzz
