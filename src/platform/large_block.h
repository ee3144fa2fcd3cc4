#pragma once

#include <cstddef>
#include <memory>

// Zero-filled, page-aligned memory mapped straight from the system, for the
// hash tables of megabytes that are freed and made again at every "new".
// Through the C library's heap, freeing one such block raises the library's
// threshold for mapping blocks of their own, so the next tables of that size
// are carved from the heap instead; the heap then keeps pieces of the old
// tables that later ones do not fit in, and the process grows with every
// game. A mapped block goes back to the system whole when it is unmapped.
// mapLargeBlock answers nullptr when the system gives no memory (or for 0
// bytes); unmapLargeBlock takes the same byte count and accepts nullptr.
void* mapLargeBlock(std::size_t bytes);
void unmapLargeBlock(void* block, std::size_t bytes);

// N value-initialised objects of T in a mapped block (nullptr when the system
// gives no memory); hand it back with unmapLargeBlock(block, n * sizeof(T)).
// The objects are constructed, so every page is touched here and not later
// in the search.
template <class T>
T* mapLargeArray(std::size_t n) {
    auto* block = static_cast<T*>(mapLargeBlock(n * sizeof(T)));
    if (block != nullptr) std::uninitialized_value_construct_n(block, n);
    return block;
}
