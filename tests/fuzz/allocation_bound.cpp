#include "tests/fuzz/allocation_bound.h"

#include <cstdio>
#include <cstdlib>
#include <sanitizer/allocator_interface.h>

namespace zarvo::fuzz {

namespace {

struct State {
    bool armed = false;
    size_t limit = 0;
    size_t total = 0;
};

thread_local State state;

void OnMalloc(const volatile void*, size_t size) {
    if (!state.armed)
        return;
    state.total += size;
    if (state.total > state.limit) {
        state.armed = false; // the report below may allocate
        std::fprintf(stderr, "allocation bound: %zu bytes allocated, more than the %zu allowed\n",
                     state.total, state.limit);
        std::abort();
    }
}

void OnFree(const volatile void*) {}

} // namespace

AllocationBound::AllocationBound(size_t limit) {
    static const bool installed = __sanitizer_install_malloc_and_free_hooks(OnMalloc, OnFree) != 0;
    if (!installed) {
        std::fprintf(stderr, "allocation bound: the sanitizer's allocation hooks are not available\n");
        std::abort();
    }
    state = State{true, limit, 0};
}

AllocationBound::~AllocationBound() {
    state.armed = false;
}

size_t AllocationBound::Total() const {
    return state.total;
}

} // namespace zarvo::fuzz
