// Any bytes end in a clean refusal or in a tree that writes back stably, on proportionate heap.
#include "tests/fuzz/RoundTrip.h"

#include <sanitizer/allocator_interface.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>

namespace {

// Heap in use while one input is checked, counted from its start.
std::atomic<bool> g_counting{false};
std::atomic<long long> g_live{0};
std::atomic<long long> g_peak{0};

void OnMalloc(const volatile void* /*ptr*/, std::size_t size) {
    if (g_counting.load(std::memory_order_relaxed)) {
        const long long live = g_live += static_cast<long long>(size);
        long long peak = g_peak.load(std::memory_order_relaxed);
        while (live > peak && !g_peak.compare_exchange_weak(peak, live)) {
        }
    }
}

void OnFree(const volatile void* ptr) {
    if (g_counting.load(std::memory_order_relaxed) && ptr != nullptr) {
        g_live -= static_cast<long long>(__sanitizer_get_allocated_size(const_cast<void*>(ptr)));
    }
}

// A byte of input becomes at most about fifty bytes of heap over the read, the written
// copy and its read, held together; far more means a count or length was trusted.
constexpr long long kBytesPerInputByte = 128;
constexpr long long kFixedAllowance = 1 << 16;

} // namespace

extern "C" int LLVMFuzzerInitialize(int* /*argc*/, char*** /*argv*/) {
    __sanitizer_install_malloc_and_free_hooks(OnMalloc, OnFree);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    g_live = 0;
    g_peak = 0;
    g_counting = true;
    const std::string fault = tamblero::fuzz::CheckDataFile({data, size});
    g_counting = false;
    if (!fault.empty()) {
        std::fprintf(stderr, "data file oracle: %s\n", fault.c_str());
        std::abort();
    }
    const long long allowed = kBytesPerInputByte * static_cast<long long>(size) + kFixedAllowance;
    if (g_peak > allowed) {
        std::fprintf(stderr, "data file oracle: %lld bytes of heap for %zu bytes of input\n",
                     g_peak.load(), size);
        std::abort();
    }
    return 0;
}
