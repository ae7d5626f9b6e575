#include "tests/storage/LargestBlock.h"

#include <atomic>
#include <cstdlib>
#include <new>

namespace {

std::atomic<std::size_t> g_largest{0};

} // namespace

// Replaced with their pair: blocks from malloc, back to free.
void* operator new(std::size_t n) {
    std::size_t seen = g_largest.load(std::memory_order_relaxed);
    while (n > seen && !g_largest.compare_exchange_weak(seen, n, std::memory_order_relaxed)) {
    }
    if (void* p = std::malloc(n == 0 ? 1 : n)) {
        return p;
    }
    throw std::bad_alloc();
}
// The forms that answer null instead of throwing (a stable sort's buffer asks so): their blocks
// too must come from malloc, since they go back to free.
void* operator new(std::size_t n, const std::nothrow_t& /*tag*/) noexcept {
    try {
        return ::operator new(n);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}
void operator delete(void* p, const std::nothrow_t& /*tag*/) noexcept {
    std::free(p);
}
void operator delete(void* p) noexcept {
    std::free(p);
}
void operator delete(void* p, std::size_t /*size*/) noexcept {
    std::free(p);
}

namespace tamblero::test {

std::size_t LargestBlockDuring(const std::function<void()>& run) {
    g_largest = 0;
    run();
    return g_largest.load();
}

} // namespace tamblero::test
